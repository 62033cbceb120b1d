// Where start-up spends its time: with SKELVORNAX_TRACE_STARTUP set, each
// mark prints to standard error the milliseconds since the launch (the
// variable's value, the launch's wall-clock time in microseconds, as
// bench/startup_breakdown.sh sets it) or, for any other value, since the
// first mark, and the processor time the process has used so far. Unset, a
// mark costs one test of a flag.
#pragma once

namespace startuptrace {

bool Enabled();
void Mark(const char* what);
// A mark made once: the first page's events pass here for every page.
void MarkOnce(const char* what);

}  // namespace startuptrace
