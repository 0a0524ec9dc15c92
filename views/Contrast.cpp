// Luminance and contrast as WCAG 2 measures them, and colours moved until they can be read.
#include "views/Contrast.h"

#include <QPalette>

#include <algorithm>
#include <cmath>

namespace quendle {

namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

} // namespace

double relativeLuminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkPalette(const QPalette& palette)
{
    return relativeLuminance(palette.color(QPalette::WindowText)) > relativeLuminance(palette.color(QPalette::Window));
}

QColor readableOn(const QColor& colour, const QColor& background, double contrast)
{
    if (contrastRatio(colour, background) >= contrast)
        return colour;
    // Lighter on a dark ground, darker on a light one; the lightness is searched in halves,
    // and the end of the range (white or black, the most there is) is the answer at worst.
    const QColor hsl = colour.toHsl();
    const bool lighter = relativeLuminance(background) < 0.18;
    double near = hsl.lightnessF();
    double far = lighter ? 1.0 : 0.0;
    const auto withLightness = [&](double lightness) {
        return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), float(lightness), hsl.alphaF());
    };
    for (int step = 0; step < 20; ++step) {
        const double middle = (near + far) / 2.0;
        if (contrastRatio(withLightness(middle), background) >= contrast)
            far = middle;
        else
            near = middle;
    }
    return withLightness(far).toRgb();
}

} // namespace quendle
