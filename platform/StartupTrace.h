// Where a launch spends its time: with QUENDLE_TRACE_STARTUP set in the environment, each step
// is noted on standard error with the milliseconds since the process started (or since the
// moment the variable gives, in milliseconds on CLOCK_BOOTTIME, when a launcher sets it);
// without it, nothing happens beyond one look at the environment.
#pragma once

namespace quendle {

void traceStep(const char* step);

} // namespace quendle
