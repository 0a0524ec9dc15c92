// Colours that stay readable whatever the desktop's palette: luminance, contrast, dark palettes.
#pragma once

#include <QColor>

class QPalette;

namespace quendle {

// The relative luminance and the contrast ratio of two colours as WCAG 2 defines them
// (1:1 for equal colours up to 21:1 for black on white).
double relativeLuminance(const QColor& colour);
double contrastRatio(const QColor& a, const QColor& b);

// The contrast that ordinary text needs against what lies behind it.
inline constexpr double kReadableContrast = 4.5;

// A palette whose text is lighter than its windows (a dark theme).
bool isDarkPalette(const QPalette& palette);

// The colour with its hue and saturation kept, its lightness moved away from the background
// just far enough to be read on it; the colour itself when it already is.
QColor readableOn(const QColor& colour, const QColor& background, double contrast = kReadableContrast);

} // namespace quendle
