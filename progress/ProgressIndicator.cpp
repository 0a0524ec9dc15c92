// The determinate bar in doubles, drawn by the style as a progress bar of its filled share.
#include "progress/ProgressIndicator.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionProgressBar>

#include <algorithm>
#include <cmath>

namespace quendle {

namespace {
// The style draws integer progress; this many steps make the fill exact to the pixel.
constexpr int kStyleSteps = 100000;

// What assistive tools see of the bar: a progress bar with its minimum, maximum and value,
// read out as a percentage, as they read the desktop's own progress bars.
class AccessibleProgressIndicator : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleProgressIndicator(ProgressIndicator* bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return QStringLiteral("%1%").arg(qRound(bar()->filledFraction() * 100.0));
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return bar()->doubleValue(); }
    void setCurrentValue(const QVariant&) override { } // shows progress; not for the user to set
    QVariant maximumValue() const override { return bar()->maxValue(); }
    QVariant minimumValue() const override { return bar()->minValue(); }
    QVariant minimumStepSize() const override { return 0.0; }

private:
    ProgressIndicator* bar() const { return static_cast<ProgressIndicator*>(widget()); }
};

QAccessibleInterface* accessibleProgressIndicator(const QString& className, QObject* object)
{
    if (className == QLatin1String("quendle::ProgressIndicator") && object && object->isWidgetType())
        return new AccessibleProgressIndicator(static_cast<ProgressIndicator*>(object));
    return nullptr;
}
} // namespace

ProgressIndicator::ProgressIndicator(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    static const bool installed = (QAccessible::installFactory(accessibleProgressIndicator), true);
    Q_UNUSED(installed);
}

void ProgressIndicator::setMinValue(double value)
{
    mMinValue = value;
    update();
}

void ProgressIndicator::setMaxValue(double value)
{
    mMaxValue = value;
    update();
}

void ProgressIndicator::setDoubleValue(double value)
{
    mValue = value;
    update();
    QAccessibleValueChangeEvent changed(this, value);
    QAccessible::updateAccessibility(&changed);
}

void ProgressIndicator::incrementBy(double delta)
{
    setDoubleValue(mValue + delta);
}

void ProgressIndicator::setBezeled(bool bezeled)
{
    mBezeled = bezeled;
    update();
}

double ProgressIndicator::filledFraction() const
{
    const double span = mMaxValue - mMinValue;
    if (!(span > 0.0)) // also a maximum that is not a number
        return mValue > mMinValue ? 1.0 : 0.0;
    const double fraction = (mValue - mMinValue) / span;
    if (std::isnan(fraction))
        return 0.0;
    return std::clamp(fraction, 0.0, 1.0);
}

QSize ProgressIndicator::sizeHint() const
{
    return {160, 12};
}

void ProgressIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    option.minimum = 0;
    option.maximum = kStyleSteps;
    option.progress = int(std::lround(filledFraction() * kStyleSteps));
    option.textVisible = false;
    if (mBezeled) {
        style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
    } else {
        option.rect = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this);
        style()->drawControl(QStyle::CE_ProgressBarContents, &option, &painter, this);
    }
}

} // namespace quendle
