// Small window chores shared by the windows: centring and the bottom bar.
#pragma once

class QWidget;

namespace quendle {

// Centres a top-level window on the screen it will appear on.
void centerOnScreen(QWidget* window);
// Gives a window's bottom bar (a frame named "bottomBar") the thickness and the look of the
// desktop's status band: a soft gradient under a hairline.
void setContentBorderThickness(QWidget* window, int thickness);

} // namespace quendle
