// The determinate bar in doubles, drawn by the style as a progress bar of its filled share.
#include "progress/ProgressIndicator.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionProgressBar>

#include <algorithm>
#include <cmath>

namespace quendle {

namespace {
// The style draws integer progress; this many steps make the fill exact to the pixel.
constexpr int kStyleSteps = 100000;
} // namespace

ProgressIndicator::ProgressIndicator(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
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
