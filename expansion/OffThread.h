// Blocking work (a listing, a password check, a count of the result) done on a thread of its
// own while the event loop's thread keeps turning: windows repaint, a second launch is
// answered, and an archive that arrives meanwhile meets the request's state as it stands.
#pragma once

#include <QEventLoop>
#include <QMetaObject>

#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace quendle {

// Runs work on a new thread and turns a local event loop until it has ended; returns its
// result. When the application quits meanwhile (every event loop is told to end), stop is
// called to cut the work short and nothing is returned. Either way the work's thread has
// ended when this returns, so work may use what the caller holds.
template <class Result>
std::optional<Result> runOffThread(const std::function<Result()>& work, const std::function<void()>& stop)
{
    // An exit code no caller of QCoreApplication::exit uses.
    constexpr int kWorkEnded = 0x0ff7d;
    QEventLoop loop;
    // The result is handed over under this mutex, never inside Qt's event (the thread sanitizer
    // does not see into Qt); the event only wakes the loop.
    std::mutex mutex;
    std::optional<Result> result;
    std::thread worker;
    try {
        worker = std::thread([&] {
            Result value = work();
            {
                const std::lock_guard lock(mutex);
                result = std::move(value);
            }
            QMetaObject::invokeMethod(&loop, "exit", Qt::QueuedConnection, Q_ARG(int, kWorkEnded));
        });
    } catch (const std::system_error&) {
        return work(); // no thread to be had: the work is done here, as it always was
    }
    const bool ended = loop.exec() == kWorkEnded;
    if (!ended)
        stop();
    worker.join();
    if (!ended)
        return std::nullopt;
    const std::lock_guard lock(mutex);
    return result;
}

} // namespace quendle
