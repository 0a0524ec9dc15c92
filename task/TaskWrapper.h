// Runs one child process, relays its merged output to a controller and reports its end.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
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

class TaskWrapper : public QObject {
    Q_OBJECT
public:
    // arguments[0] is the executable's path, the rest are its arguments. Nothing starts yet.
    TaskWrapper(TaskWrapperController* controller, QStringList arguments, QObject* parent = nullptr);
    ~TaskWrapper() override;

    // Starts the child with its standard output and error on one pipe, read on this
    // thread's event loop. False when the child could not be started; launchError() says why.
    bool startProcess();
    QString launchError() const { return mLaunchError; }

    // Stops reading, sends the termination signal, relays what is left, reports the end.
    void stopProcess();

    // Blocks until the child has exited (safe from another thread). Returns its exit status,
    // 128 + the signal number when a signal ended it, or -1 when no child was started.
    int waitUntilExit();

    // The exit status once known (as waitUntilExit returns it), else nothing; any thread.
    bool hasExited() const { return mExited.load(); }

private:
    void getData();

    TaskWrapperController* controller;
    QStringList arguments;
    pid_t mPid = -1;
    int mPidFd = -1;
    int mReadFd = -1;
    QSocketNotifier* mNotifier = nullptr;
    QString mLaunchError;

    std::mutex mWaitMutex;
    std::atomic<bool> mExited {false};
    int mExitStatus = -1;
};

} // namespace quendle
