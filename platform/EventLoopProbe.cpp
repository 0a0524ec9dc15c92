// How long the event loop's thread is kept from its events (see EventLoopProbe.h).
#include "platform/EventLoopProbe.h"

#include <QTimerEvent>

#include <cstdio>

namespace quendle {

EventLoopProbe::EventLoopProbe(QObject* parent)
    : QObject(parent)
{
    if (qEnvironmentVariableIsEmpty("QUENDLE_PROBE_EVENT_LOOP"))
        return;
    mSinceStart.start();
    mTimerId = startTimer(kTickMs, Qt::PreciseTimer);
}

EventLoopProbe::~EventLoopProbe()
{
    if (!mTimerId)
        return;
    std::fprintf(stderr,
        "quendle: event loop probe: longest gap between ticks %.1f ms (ending %.0f ms after the probe began; "
        "%lld ticks of %d ms)\n",
        mLongestGapMs, mLongestGapEndedMs, static_cast<long long>(mTicks), kTickMs);
    std::fflush(stderr);
}

void EventLoopProbe::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != mTimerId)
        return QObject::timerEvent(event);
    // The first gap runs from the probe's start: an event loop that has not begun to turn yet
    // keeps the thread from its events as much as one that is held.
    const qint64 now = mSinceStart.nsecsElapsed();
    const double gap = double(now - mLastTickNs) / 1e6;
    if (gap > mLongestGapMs) {
        mLongestGapMs = gap;
        mLongestGapEndedMs = double(now) / 1e6;
    }
    mLastTickNs = now;
    ++mTicks;
}

} // namespace quendle
