// Notes when each step of a launch came, on standard error, when QUENDLE_TRACE_STARTUP asks for it.
#include "platform/StartupTrace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include <unistd.h>

namespace quendle {

namespace {

double nowMs(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// When the kernel started this process, on the boot-time clock (to a clock tick).
double processStartMs()
{
    std::FILE* stat = std::fopen("/proc/self/stat", "r");
    if (!stat)
        return nowMs(CLOCK_BOOTTIME);
    char line[1024] = {};
    const std::size_t size = std::fread(line, 1, sizeof line - 1, stat);
    std::fclose(stat);
    line[size] = '\0';
    // The fields after the command's closing parenthesis; the start time is the 20th of them.
    const char* field = std::strrchr(line, ')');
    for (int k = 0; field && k < 20; ++k)
        field = std::strchr(field + 1, ' ');
    if (!field)
        return nowMs(CLOCK_BOOTTIME);
    return double(std::strtoull(field + 1, nullptr, 10)) * 1e3 / double(sysconf(_SC_CLK_TCK));
}

} // namespace

void traceStep(const char* step)
{
    static const char* const value = std::getenv("QUENDLE_TRACE_STARTUP");
    if (!value)
        return;
    // A launcher may give the moment it started Quendle (milliseconds on the boot-time clock);
    // the process's own start time is known only to a clock tick. A value that is no moment of
    // the last minute ("1") only switches the trace on.
    static std::mutex mutex;
    const std::lock_guard lock(mutex); // the waiter thread notes a step too
    const double now = nowMs(CLOCK_BOOTTIME);
    static const double given = std::strtod(value, nullptr);
    static const double started = given > 0 && given <= now && now - given < 60000 ? given : processStartMs();
    static double last = started;
    std::fprintf(stderr, "quendle: %8.1f ms (+%6.1f) %s\n", now - started, now - last, step);
    last = now;
}

} // namespace quendle
