// How readable a widget's text is on screen: the window is drawn with and without that text, and
// the text's ink is measured against the pixels that lie behind it.
#pragma once

#include <QPalette>
#include <QRect>
#include <QString>

class QWidget;

namespace quendle::test {

struct TextContrast {
    int textPixels = 0;   // pixels the text changes; 0: nothing of it was drawn there
    double ratio = 0.0;   // WCAG contrast of the ink against its background, at the worst spot
    QString describe() const;
};

// The text of target, drawn in its window, within area (in target's coordinates; a null area
// is the whole widget): its ink is the colour of the pixels most changed by the text, and the
// ratio is the contrast of that ink against the background under the text, taken where the
// background is least favourable (the 5th percentile, so a single odd pixel does not decide).
TextContrast measureTextContrast(QWidget* target, const QRect& area = {});

// The area of a check box's or a group box's own text, as the style lays it out.
QRect checkBoxTextArea(QWidget* checkBox);
QRect groupBoxTitleArea(QWidget* groupBox);

// Palettes to draw the windows under: the light one of Qt's Fusion style, and a dark one as the
// dark themes of the desktops give (light grey text on a charcoal window).
QPalette lightTestPalette();
QPalette darkTestPalette();

} // namespace quendle::test
