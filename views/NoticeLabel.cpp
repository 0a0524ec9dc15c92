// The warning label: its colour follows the palette, and showing it is an alert for assistive tools.
#include "views/NoticeLabel.h"

#include "views/Contrast.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>

namespace quendle {

namespace {

// The warning red of a light window; the hue that every palette's variant keeps.
const QColor kWarningRed(0xb3, 0x26, 0x1e);
// A little above the contrast text needs: the thin strokes of a small font are drawn
// anti-aliased, lighter than their colour.
constexpr double kNoticeContrast = kReadableContrast + 0.5;

// An alert to assistive tools: screen readers speak an alert's text when it appears, wherever
// the focus is, so the user typing a password hears that it was refused.
class AccessibleNotice : public QAccessibleWidget {
public:
    explicit AccessibleNotice(NoticeLabel* notice)
        : QAccessibleWidget(notice, QAccessible::AlertMessage)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<NoticeLabel*>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* accessibleNotice(const QString& className, QObject* object)
{
    if (className == QLatin1String("quendle::NoticeLabel") && object && object->isWidgetType())
        return new AccessibleNotice(static_cast<NoticeLabel*>(object));
    return nullptr;
}

} // namespace

NoticeLabel::NoticeLabel(QWidget* parent)
    : QLabel(parent)
{
    static const bool installed = (QAccessible::installFactory(accessibleNotice), true);
    Q_UNUSED(installed);
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
    // Besides the showing that every widget tells, the alert event that makes screen
    // readers speak at once.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace quendle
