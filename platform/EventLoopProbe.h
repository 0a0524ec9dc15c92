// How long the event loop's thread is kept from its events: with QUENDLE_PROBE_EVENT_LOOP set in
// the environment, a short timer ticks on that thread and the longest gap between two ticks is
// noted on standard error when the process ends normally; without it, nothing happens beyond
// one look at the environment.
#pragma once

#include <QElapsedTimer>
#include <QObject>

namespace quendle {

class EventLoopProbe : public QObject {
public:
    static constexpr int kTickMs = 5;

    // Starts ticking when the environment asks for it.
    explicit EventLoopProbe(QObject* parent = nullptr);
    // Notes the longest gap (if the probe ran).
    ~EventLoopProbe() override;

    bool isActive() const { return mTimerId != 0; }
    // The longest time between two ticks so far, in milliseconds.
    double longestGapMs() const { return mLongestGapMs; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    int mTimerId = 0;
    QElapsedTimer mSinceStart;
    qint64 mLastTickNs = 0;
    double mLongestGapMs = 0;
    double mLongestGapEndedMs = 0;
    qint64 mTicks = 0;
};

} // namespace quendle
