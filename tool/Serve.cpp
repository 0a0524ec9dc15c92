#include "tool/Serve.h"

#include "tool/Backends.h"
#include "tool/Children.h"

#include <cerrno>
#include <csignal>

#include <poll.h>
#include <unistd.h>

namespace quendle::adapter {

std::size_t readSome(int fd, char* buffer, std::size_t capacity)
{
    while (true) {
        const ssize_t size = read(fd, buffer, capacity);
        if (size < 0 && errno == EINTR)
            continue;
        return size < 0 ? 0 : std::size_t(size);
    }
}

void closeFd(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

namespace {

// One pass of the decompressed stream: a chunk read from the source, or written to the sink.
// Returns whether the sink was closed before the source ended.
bool pumpOnce(Pump& pump, bool sourceReady, char* buffer, std::size_t capacity)
{
    if (sourceReady) {
        const std::size_t size = readSome(pump.source, buffer, capacity);
        if (size > 0 && pump.copy >= 0) {
            pump.copied += size;
            if (pump.copied > pump.copyBudget || !writeAll(pump.copy, buffer, size)) {
                closeFd(pump.copy);
                pump.copyFailed = true;
            }
        }
        if (size > 0 && pump.observe && !pump.observe(std::string_view(buffer, size)))
            pump.observe = nullptr;
        if (size > 0 && !pump.observe && pump.copy < 0 && pump.sink < 0) {
            closeFd(pump.source); // nobody wants the rest
        } else if (size == 0) {
            closeFd(pump.source);
            pump.sourceEnded = true;
        } else if (pump.sink >= 0) {
            pump.pending.assign(buffer, size);
            pump.pendingAt = 0;
        }
        return false;
    }
    const ssize_t written = write(pump.sink, pump.pending.data() + pump.pendingAt, pump.pending.size() - pump.pendingAt);
    if (written > 0) {
        pump.pendingAt += std::size_t(written);
    } else if (written < 0 && errno != EINTR && errno != EAGAIN) {
        closeFd(pump.sink);
        pump.pending.clear();
        pump.pendingAt = 0;
        return pump.source >= 0;
    }
    return false;
}

// What one poll watches: the pump's side that can move (the source when nothing is pending,
// the sink while something is) and the outputs still open.
struct Watch {
    pollfd fds[4];
    int* outputs[4] = {};
    int count = 0;
    int sourceAt = -1;
    int sinkAt = -1;
};

Watch watchFor(Pump* pump, int& out, int& err)
{
    Watch watch;
    if (pump && pump->source >= 0 && pump->pendingAt == pump->pending.size()) {
        watch.sourceAt = watch.count;
        watch.fds[watch.count++] = {pump->source, POLLIN, 0};
    }
    if (pump && pump->sink >= 0 && pump->pendingAt < pump->pending.size()) {
        watch.sinkAt = watch.count;
        watch.fds[watch.count++] = {pump->sink, POLLOUT, 0};
    }
    for (int* fd : {&out, &err}) {
        if (*fd >= 0) {
            watch.outputs[watch.count] = fd;
            watch.fds[watch.count++] = {*fd, POLLIN, 0};
        }
    }
    return watch;
}

// A reader that left early has either failed (then the rest is not worth decompressing) or
// found the tar's end (then the rest is drained, so the stream's checksum is seen). Returns
// whether the reader's end is still unknown.
bool settleEarlyClose(Pump& pump)
{
    int status = 0;
    if (!childEnded(pump.consumer, &status))
        return true;
    if (!succeeded(status)) {
        closeFd(pump.source);
        signalChild(pump.producer, SIGTERM);
    }
    return false;
}

} // namespace

void serve(Pump* pump, int out, int err, StreamSink* sink)
{
    static char buffer[1 << 17];
    bool sinkClosedEarly = false;
    while (true) {
        if (pump && stopSignal() != 0) {
            // Everyone has been told to stop: nothing more is passed on.
            closeFd(pump->source);
            closeFd(pump->sink);
        }
        if (sinkClosedEarly && pump->source >= 0) {
            sinkClosedEarly = settleEarlyClose(*pump);
            if (pump->source < 0)
                continue;
        }
        Watch watch = watchFor(pump, out, err);
        if (watch.count == 0)
            break;
        const int ready = poll(watch.fds, nfds_t(watch.count), sinkClosedEarly ? 100 : -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }

        for (int i = 0; i < watch.count; ++i) {
            if (watch.fds[i].revents == 0)
                continue;
            if (i == watch.sourceAt || i == watch.sinkAt) {
                sinkClosedEarly = pumpOnce(*pump, i == watch.sourceAt, buffer, sizeof buffer) || sinkClosedEarly;
                continue;
            }
            int& fd = *watch.outputs[i];
            const std::size_t size = readSome(fd, buffer, sizeof buffer);
            if (size == 0)
                closeFd(fd);
            else if (&fd == &out)
                sink->out(std::string_view(buffer, size));
            else
                sink->err(std::string_view(buffer, size));
        }
        // The whole stream has been passed on: the reader sees its end.
        if (pump && pump->sourceEnded && pump->sink >= 0 && pump->pendingAt == pump->pending.size())
            closeFd(pump->sink);
    }
    if (pump) {
        closeFd(pump->source);
        closeFd(pump->sink);
    }
    closeFd(out);
    closeFd(err);
}

} // namespace quendle::adapter
