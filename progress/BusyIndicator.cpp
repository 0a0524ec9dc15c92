// The spinner: twelve spokes fading behind a turning head.
#include "progress/BusyIndicator.h"

#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

namespace quendle {

namespace {
constexpr int kSpokes = 12;
constexpr int kStepMs = 80; // about one turn a second
} // namespace

BusyIndicator::BusyIndicator(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void BusyIndicator::startAnimation()
{
    mAnimating = true;
    updateTimer();
    update();
}

void BusyIndicator::stopAnimation()
{
    mAnimating = false;
    updateTimer();
    update();
}

void BusyIndicator::updateTimer()
{
    if (mAnimating && isVisible())
        mTimer.start(kStepMs, this);
    else
        mTimer.stop();
}

void BusyIndicator::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateTimer();
}

void BusyIndicator::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    updateTimer();
}

void BusyIndicator::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != mTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    mStep = (mStep + 1) % kSpokes;
    update();
}

void BusyIndicator::paintEvent(QPaintEvent*)
{
    if (!mAnimating)
        return; // a stopped spinner is not shown, as on the Mac
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const qreal outer = side / 2.0;
    const qreal inner = outer * 0.45;
    const qreal thickness = std::max(1.5, side / 11.0);
    painter.translate(width() / 2.0, height() / 2.0);
    QColor colour = palette().color(QPalette::WindowText);
    for (int i = 0; i < kSpokes; ++i) {
        // The head is the spoke of the current step; the ones behind it fade out.
        const int age = (mStep - i + kSpokes) % kSpokes;
        colour.setAlphaF(float(1.0 - 0.8 * age / (kSpokes - 1)));
        painter.setPen(QPen(colour, thickness, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.rotate(360.0 * i / kSpokes);
        painter.drawLine(QPointF(0, -inner), QPointF(0, -(outer - thickness / 2)));
        painter.restore();
    }
}

} // namespace quendle
