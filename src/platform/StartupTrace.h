#pragma once

namespace platform {

// With ZYN_STARTUP_TRACE set, writes one line to standard error for each step of the start-up
// (and the first paint and the first video frame after it):
//
//     zyn-startup: 123.456789 41.2 ms 60.3 cpu-ms first paint
//
// the CLOCK_MONOTONIC time in seconds, which a benchmark that noted when it started the program
// turns into the time since exec, the milliseconds since main() began, the processor time the
// process has used since exec (all its threads; on a busy machine a steadier measure than the
// clock's), then the step. The
// first line ("main") also gives the milliseconds the process lived before main(): loading the
// libraries and running their initialisers. Without the variable nothing is written and a step
// costs one test of a flag.
void traceStartup(const char* step);

// A step that is only traced the first time it comes (a paint, a frame).
void traceStartupOnce(const char* step, bool& done);

} // namespace platform
