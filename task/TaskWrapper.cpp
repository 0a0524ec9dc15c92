// Runs one child process, relays its merged output to a controller and reports its end.
#include "task/TaskWrapper.h"

#include "task/ChildProcess.h"

#include <QByteArrayView>
#include <QFile>
#include <QSocketNotifier>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#ifdef __linux__
// glibc 2.36 declares these without C linkage for C++.
extern "C" {
#include <sys/pidfd.h>
}
#endif


namespace quendle {

namespace {

constexpr qsizetype kChunkSize = 64 * 1024;

using SteadyClock = std::chrono::steady_clock;

// The status as a shell reports it: the exit code, or 128 + the signal that ended the child.
int statusFrom(const siginfo_t& info)
{
    if (info.si_code == CLD_EXITED)
        return info.si_status;
    return 128 + info.si_status;
}

int toTimeoutMs(SteadyClock::duration remaining)
{
    if (remaining <= SteadyClock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
    return int(std::min<long long>(ms, 60 * 60 * 1000));
}

} // namespace

TaskWrapper::TaskWrapper(TaskWrapperController* controller, QStringList arguments, QObject* parent)
    : QObject(parent)
    , controller(controller)
    , arguments(std::move(arguments))
{
}

TaskWrapper::~TaskWrapper()
{
    stopAndReap();

    // A waiter that is still inside waitUntilExit uses the process descriptor: let it leave.
    std::unique_lock lock(mWaitMutex);
    mWaitersGone.wait(lock, [this] { return mWaiters == 0; });
    if (mPidFd >= 0) {
        ::close(mPidFd);
        mPidFd = -1;
    }
}

void TaskWrapper::stopAndReap()
{
    stopProcess();

    bool mustReap;
    {
        std::lock_guard lock(mWaitMutex);
        mustReap = mPid >= 0 && !mExited;
    }
    if (mustReap) {
        // stopProcess has sent the termination signal; a child that outlives its grace
        // period (it closed its output and ignores the signal) is killed, so that no zombie
        // and no stray archiver remain.
        const auto deadline = SteadyClock::now() + mStopTimeouts.terminateGrace;
        while (!childHasExited() && SteadyClock::now() < deadline) {
            if (mPidFd >= 0) {
                pollfd exitFd {mPidFd, POLLIN, 0};
                ::poll(&exitFd, 1, toTimeoutMs(deadline - SteadyClock::now()));
            } else {
                ::usleep(10 * 1000);
            }
        }
        if (!childHasExited())
            signalChild(SIGKILL);
        waitUntilExit();
    }
}

bool TaskWrapper::startProcess()
{
    // One child per wrapper: a second start must not disturb the first one's controller.
    if (mPid >= 0 || mReadFd >= 0) {
        mLaunchError = QStringLiteral("The process has already been started.");
        return false;
    }
    if (controller)
        controller->processStarted();

    const auto fail = [this](const QString& reason) {
        mLaunchError = reason;
        // The caller reports the failure; nothing is owed to the controller any more.
        controller = nullptr;
        return false;
    };

    if (arguments.isEmpty() || arguments.first().isEmpty())
        return fail(QStringLiteral("No program was given."));

    // The argument vector as the child receives it; element 0 is also the path that is run.
    std::vector<QByteArray> encoded;
    encoded.reserve(arguments.size());
    for (const QString& argument : std::as_const(arguments)) {
        // A C string ends at the first NUL: such an argument would reach the tool cut short.
        if (argument.contains(QChar(u'\0')))
            return fail(QStringLiteral("An argument contains a NUL character."));
        encoded.push_back(QFile::encodeName(argument));
    }
    const SpawnedChild child = spawnWithOutputPipe(std::move(encoded), true);
    if (child.pid < 0)
        return fail(qt_error_string(child.error));
    const pid_t pid = child.pid;
    const int readFd = child.outputFd;

    int pidFd = -1;
#ifdef __linux__
    // The child is not reaped before we say so, so its id cannot have been reused yet.
    pidFd = ::pidfd_open(pid, 0);
#endif
    {
        std::lock_guard lock(mWaitMutex);
        mPid = pid;
        mPidFd = pidFd;
    }

    mReadFd = readFd;
    ::fcntl(mReadFd, F_SETFL, ::fcntl(mReadFd, F_GETFL) | O_NONBLOCK);
    // No parent: the notifier must live on the calling thread, whichever thread owns us.
    mNotifier = std::make_unique<QSocketNotifier>(mReadFd, QSocketNotifier::Read);
    connect(mNotifier.get(), &QSocketNotifier::activated, mNotifier.get(), [this] { getData(); });
    return true;
}

void TaskWrapper::getData()
{
    if (mReadFd < 0)
        return;
    char buffer[kChunkSize];
    const ssize_t size = ::read(mReadFd, buffer, sizeof buffer);
    if (size < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    mInGetData = true;
    if (size > 0)
        relay(buffer, size);
    else
        stopProcess(); // end of output (a read error ends it too)
    mInGetData = false;
}

void TaskWrapper::relay(const char* data, qsizetype size)
{
    if (!controller || size <= 0)
        return;
    // Each chunk on its own: bytes are never carried over to the next one.
    QStringDecoder decoder(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(QByteArrayView(data, size));
    if (decoder.hasError())
        text = QString();
    controller->appendOutput(text);
}

void TaskWrapper::stopProcess()
{
    // A controller that asks for a stop from inside our own stop changes nothing.
    if (mStopping)
        return;
    mStopping = true;

    if (mNotifier) {
        mNotifier->setEnabled(false);
        // Inside its own activation the notifier cannot be deleted yet.
        if (mInGetData)
            mNotifier.release()->deleteLater();
        else
            mNotifier.reset();
    }
    signalChild(SIGTERM);
    drain();
    closePipe();
    if (controller)
        controller->processFinished();
    controller = nullptr;

    mStopping = false;
}

// Relays what is left in the pipe until its end. After the termination signal the child
// normally exits at once and the pipe ends; the deadlines keep a child that ignores the
// signal, or a grandchild that inherited the pipe, from holding this thread forever.
void TaskWrapper::drain()
{
    if (mReadFd < 0)
        return;
    enum class Phase { Terminated, Killed, ChildGone };
    Phase phase = childHasExited() ? Phase::ChildGone : Phase::Terminated;
    auto deadline = SteadyClock::now()
        + (phase == Phase::ChildGone ? mStopTimeouts.afterExit : mStopTimeouts.terminateGrace);

    char buffer[kChunkSize];
    for (;;) {
        pollfd fds[2] = {{mReadFd, POLLIN, 0}, {mPidFd, POLLIN, 0}};
        const bool watchExit = phase != Phase::ChildGone;
        const nfds_t count = watchExit && mPidFd >= 0 ? 2 : 1;
        int timeout = toTimeoutMs(deadline - SteadyClock::now());
        if (watchExit && mPidFd < 0)
            timeout = std::min(timeout, 20); // nothing to wait on for the exit: look now and then
        const int ready = ::poll(fds, count, timeout);
        if (ready < 0 && errno != EINTR)
            return;

        if (ready > 0 && fds[0].revents != 0) {
            const ssize_t size = ::read(mReadFd, buffer, sizeof buffer);
            if (size > 0) {
                relay(buffer, size);
                continue;
            }
            if (size == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                return; // end of file, or a broken pipe that will never give more
            continue;
        }

        const auto now = SteadyClock::now();
        if (watchExit && (count == 2 ? (ready > 0 && fds[1].revents != 0) : childHasExited())) {
            const auto leftover = now + mStopTimeouts.afterExit;
            deadline = phase == Phase::Killed ? std::min(deadline, leftover) : leftover;
            phase = Phase::ChildGone;
            continue;
        }
        if (now < deadline)
            continue;
        if (phase != Phase::Terminated)
            return; // the pipe is held open by someone else: stop relaying
        signalChild(SIGKILL);
        phase = Phase::Killed;
        deadline = now + mStopTimeouts.afterKill;
    }
}

void TaskWrapper::closePipe()
{
    if (mReadFd >= 0) {
        ::close(mReadFd);
        mReadFd = -1;
    }
}

void TaskWrapper::signalChild(int signal)
{
    std::lock_guard lock(mWaitMutex);
    // Reaping happens under this same lock: an unreaped child still owns its id.
    if (mPid < 0 || mExited)
        return;
#ifdef __linux__
    if (mPidFd >= 0) {
        ::pidfd_send_signal(mPidFd, signal, nullptr, 0);
        return;
    }
#endif
    ::kill(mPid, signal);
}

void TaskWrapper::markExitedLocked(int status)
{
    mExitStatus = status;
    mExited = true;
}

void TaskWrapper::reapIfExitedLocked()
{
    if (mPid < 0 || mExited)
        return;
    siginfo_t info {};
    int result;
#ifdef __linux__
    if (mPidFd >= 0)
        result = ::waitid(P_PIDFD, id_t(mPidFd), &info, WEXITED | WNOHANG);
    else
#endif
        result = ::waitid(P_PID, id_t(mPid), &info, WEXITED | WNOHANG);
    if (result == 0 && info.si_pid != 0)
        markExitedLocked(statusFrom(info));
    else if (result != 0 && errno == ECHILD)
        markExitedLocked(-1); // reaped by someone else (SIGCHLD ignored): the status is lost
}

bool TaskWrapper::childHasExited()
{
    std::lock_guard lock(mWaitMutex);
    if (mPid < 0)
        return true;
    reapIfExitedLocked();
    return mExited;
}

int TaskWrapper::waitUntilExit()
{
    std::unique_lock lock(mWaitMutex);
    if (mPid < 0)
        return -1;
    ++mWaiters;
    while (!mExited) {
        lock.unlock();
        // Wait without reaping, so that reaping (and with it the end of signalling) only ever
        // happens under the lock.
        siginfo_t info {};
        int result;
#ifdef __linux__
        if (mPidFd >= 0)
            result = ::waitid(P_PIDFD, id_t(mPidFd), &info, WEXITED | WNOWAIT);
        else
#endif
            result = ::waitid(P_PID, id_t(mPid), &info, WEXITED | WNOWAIT);
        const int error = errno;
        lock.lock();
        if (result != 0 && error == EINTR)
            continue;
        reapIfExitedLocked();
        if (!mExited && result != 0)
            markExitedLocked(-1);
    }
    const int status = mExitStatus;
    if (--mWaiters == 0)
        mWaitersGone.notify_all();
    return status;
}

} // namespace quendle
