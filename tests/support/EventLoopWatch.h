// Whether the test's event loop kept turning: a short timer on the calling thread that notes the
// longest gap between two of its ticks, and a way back from a test that made the application quit.
#pragma once

#include <QElapsedTimer>
#include <QObject>

namespace quendle::test {

class EventLoopWatch : public QObject {
public:
    static constexpr int kTickMs = 5;
    // Ticks from now until it goes.
    EventLoopWatch();
    // The longest time between two ticks so far (from the start to the first tick too), in ms.
    double longestGapMs() const;
    int ticks() const { return mTicks; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    QElapsedTimer mClock;
    qint64 mLastTickMs = 0;
    qint64 mLongestGapMs = 0;
    int mTicks = 0;
};

// After QCoreApplication::exit in a test that runs no application loop of its own: every later
// event loop (an alert's, a dialog's) would end at once. Runs and ends the application's loop
// once, which forgets the exit.
void forgetApplicationExit();

} // namespace quendle::test
