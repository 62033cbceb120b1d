#include "core/app/StartupTrace.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace startuptrace {

namespace {

using Clock = std::chrono::system_clock;

struct Trace {
  bool on = false;
  Clock::time_point origin;
  bool originSet = false;
  std::set<std::string> once;
  Trace() {
    const char* value = std::getenv("SKELVORNAX_TRACE_STARTUP");
    on = value != nullptr;
    if (!on) return;
    char* end = nullptr;
    const long long launchUs = std::strtoll(value, &end, 10);
    if (end != value && *end == '\0' && launchUs > 1000000) {
      origin = Clock::time_point(std::chrono::microseconds(launchUs));
      originSet = true;
    }
  }
};

Trace& TheTrace() {
  static Trace trace;
  return trace;
}

}  // namespace

bool Enabled() { return TheTrace().on; }

void Mark(const char* what) {
  Trace& t = TheTrace();
  if (!t.on) return;
  const Clock::time_point now = Clock::now();
  if (!t.originSet) {
    t.origin = now;
    t.originSet = true;
  }
  const double ms = std::chrono::duration<double, std::milli>(now - t.origin).count();
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  const double cpu =
      (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3 + (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e3;
  std::fprintf(stderr, "startup %8.1f ms %7.1f cpu  %s\n", ms, cpu, what);
}

void MarkOnce(const char* what) {
  Trace& t = TheTrace();
  if (t.on && t.once.insert(what).second) Mark(what);
}

}  // namespace startuptrace
