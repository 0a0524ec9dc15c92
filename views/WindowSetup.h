// Small window chores shared by the windows: centring, the bottom bar, and whether a window is
// still on screen.
#pragma once

class QWidget;

namespace quendle {

// Centres a top-level window on the screen it will appear on.
void centerOnScreen(QWidget* window);
// Gives a window's bottom bar (a frame named "bottomBar") the thickness and the look of the
// desktop's status band: a soft gradient under a hairline.
void setContentBorderThickness(QWidget* window, int thickness);
// Whether a window of the application other than `except` is on screen: the one test that
// decides whether a request ending goes back to a window or ends the application.
bool anotherWindowVisible(const QWidget* except = nullptr);

} // namespace quendle
