// Whether the test's event loop kept turning (see EventLoopWatch.h).
#include "support/EventLoopWatch.h"

#include <QCoreApplication>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>

namespace quendle::test {

EventLoopWatch::EventLoopWatch()
{
    mClock.start();
    startTimer(kTickMs, Qt::PreciseTimer);
}

double EventLoopWatch::longestGapMs() const
{
    // A loop held right now counts as well.
    return double(std::max(mLongestGapMs, mClock.elapsed() - mLastTickMs));
}

void EventLoopWatch::timerEvent(QTimerEvent*)
{
    const qint64 now = mClock.elapsed();
    mLongestGapMs = std::max(mLongestGapMs, now - mLastTickMs);
    mLastTickMs = now;
    ++mTicks;
}

void forgetApplicationExit()
{
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

} // namespace quendle::test
