// The warning label: its colour follows the palette, and showing it is an alert for assistive tools.
#include "views/NoticeLabel.h"

#include "views/Contrast.h"

#include <QAccessible>
#include <QEvent>

namespace quendle {

namespace {

// The warning red of a light window; the hue that every palette's variant keeps.
const QColor kWarningRed(0xb3, 0x26, 0x1e);
// A little above the contrast text needs: the thin strokes of a small font are drawn
// anti-aliased, lighter than their colour.
constexpr double kNoticeContrast = kReadableContrast + 0.5;

} // namespace

NoticeLabel::NoticeLabel(QWidget* parent)
    : QLabel(parent)
{
    followPalette();
}

QColor NoticeLabel::noticeColourOn(const QColor& background)
{
    return readableOn(kWarningRed, background, kNoticeContrast);
}

void NoticeLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followPalette();
}

void NoticeLabel::followPalette()
{
    QPalette own = palette();
    const QColor wanted = noticeColourOn(own.color(backgroundRole()));
    // Setting the colour is itself a palette change; it settles on the second call.
    if (own.color(QPalette::WindowText) == wanted)
        return;
    own.setColor(QPalette::WindowText, wanted);
    setPalette(own);
}

void NoticeLabel::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    // Screen readers speak an alert event's text at once, wherever the focus is: the user
    // typing the password hears that it was refused.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace quendle
