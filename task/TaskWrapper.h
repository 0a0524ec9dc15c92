// Runs one child process, relays its merged output to a controller and reports its end.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <sys/types.h>

class QSocketNotifier;

namespace quendle {

class TaskWrapperController {
public:
    virtual ~TaskWrapperController() = default;
    // The output has ended, or the process was stopped. At most once per wrapper.
    virtual void processFinished() = 0;
    // First thing in startProcess, before the child exists.
    virtual void processStarted() = 0;
    // One chunk of output as it was read; a null string for a chunk that is not valid UTF-8.
    virtual void appendOutput(const QString& output) = 0;
};

// One child process whose standard output and error share one pipe. The pipe is read on the
// event loop of the thread that calls startProcess; startProcess, stopProcess and destruction
// belong to that thread. waitUntilExit is the one call meant for other threads.
//
// The controller is not owned. It must not destroy the wrapper from inside one of its
// callbacks (deleteLater is fine).
class TaskWrapper : public QObject {
    Q_OBJECT
public:
    // arguments[0] is the executable's path, the rest are its arguments. Nothing starts yet.
    TaskWrapper(TaskWrapperController* controller, QStringList arguments, QObject* parent = nullptr);
    // Runs stopProcess (an attached controller is told processFinished), then reaps the child,
    // killing it if it outlives the termination signal, and lets every waitUntilExit return
    // before the wrapper goes away.
    ~TaskWrapper() override;
    // What the destruction does before it waits for the waiters: stopProcess, then the child is
    // reaped (killed if it outlives the termination signal), so every waitUntilExit returns.
    // An owner whose waiter thread may not have reached waitUntilExit yet calls this, joins the
    // thread, and only then destroys the wrapper.
    void stopAndReap();

    // Tells the controller processStarted, then starts arguments[0] with the rest as its
    // arguments: no shell, no search of PATH; standard input, environment and working folder
    // are inherited, and no other descriptor of this process reaches the child.
    // False when the child could not be started: launchError() says why, and the controller has
    // been detached, so no processFinished follows; reporting the failure is the caller's job.
    bool startProcess();
    QString launchError() const { return mLaunchError; }

    // Stops reading, sends the termination signal, relays what is left in the pipe up to its
    // end, tells the controller processFinished and detaches it. A child that ignores the
    // signal is killed after StopTimeouts::terminateGrace; when the pipe does not reach its end
    // although the child is gone (a grandchild holds it open), the relaying gives up after
    // StopTimeouts::afterExit, so this call never hangs. Later calls tell nobody anything.
    void stopProcess();

    // Blocks until the child has exited and reaps it; safe from any thread, any number of
    // times. Returns the exit code, 128 + the signal number when a signal ended the child,
    // or -1 when no child was started (or it was reaped behind our back).
    int waitUntilExit();

    // True once the child has been reaped; any thread.
    bool hasExited() const { return mExited.load(); }
    // The child's process id, -1 before a successful start. Only for diagnostics: signals go
    // through the process descriptor, never through this number.
    pid_t processId() const { return mPid; }
    // How many threads are inside waitUntilExit right now (for diagnostics and tests).
    int waiterCount() const
    {
        std::lock_guard lock(mWaitMutex);
        return mWaiters;
    }

    // The bounds of the relaying in stopProcess (see there).
    struct StopTimeouts {
        std::chrono::milliseconds terminateGrace {3000};
        std::chrono::milliseconds afterExit {1000};
        std::chrono::milliseconds afterKill {2000};
    };
    void setStopTimeouts(const StopTimeouts& timeouts) { mStopTimeouts = timeouts; }

private:
    void getData();
    void relay(const char* data, qsizetype size);
    void drain();
    void closePipe();
    // Sends a signal to the child unless it has been reaped already.
    void signalChild(int signal);
    // Reaps the child if it has exited, without blocking; the caller holds mWaitMutex.
    void reapIfExitedLocked();
    void markExitedLocked(int status);
    // True when the child has exited (reaped or not), without blocking.
    bool childHasExited();

    TaskWrapperController* controller;
    QStringList arguments;
    pid_t mPid = -1;
    int mPidFd = -1;
    int mReadFd = -1;
    std::unique_ptr<QSocketNotifier> mNotifier;
    QString mLaunchError;
    StopTimeouts mStopTimeouts;
    bool mInGetData = false;
    bool mStopping = false;

    // Reaping and signalling happen under this mutex, so a signal is never sent to a
    // process id that has been reaped (and could belong to someone else by now).
    mutable std::mutex mWaitMutex;
    std::condition_variable mWaitersGone;
    int mWaiters = 0;
    std::atomic<bool> mExited {false};
    int mExitStatus = -1;
};

} // namespace quendle
