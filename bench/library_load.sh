#!/usr/bin/env bash
# What loading the libraries costs a start before main: two empty programs,
# one linked to the engine and GTK only (as the minimal window is), one to
# the same and the C++ wrappers (as skelvornax is), and skelvornax itself,
# each timed from launch to its first line of main, runs alternating. No
# display is needed: nothing of the toolkit is started.
#
#   bash bench/library_load.sh [-n RUNS]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
runs=15
while getopts "n:" opt; do
  case $opt in
    n) runs=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS]" >&2; exit 2 ;;
  esac
done

browser="$root/build/skelvornax-browser"
[ -x "$browser" ] || { echo "missing $browser (build first)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Prints the milliseconds since the launch time in LAUNCHED_US.
cat >"$work/empty.cpp" <<'EOF'
#include <cstdio>
#include <cstdlib>
#include <ctime>
int main() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const double us = now.tv_sec * 1e6 + now.tv_nsec / 1e3;
  std::printf("%.1f\n", (us - std::atof(std::getenv("LAUNCHED_US"))) / 1000);
}
EOF
# --no-as-needed: the libraries load although the program calls none of them.
# shellcheck disable=SC2046
c++ -O2 "$work/empty.cpp" -o "$work/engine" -Wl,--no-as-needed $(pkg-config --libs webkit2gtk-4.1 gtk+-3.0)
# shellcheck disable=SC2046
c++ -O2 "$work/empty.cpp" -o "$work/wrappers" -Wl,--no-as-needed $(pkg-config --libs gtkmm-3.0 webkit2gtk-4.1)

launched() { local t=${EPOCHREALTIME/[.,]/}; echo "$t"; }
for _ in $(seq "$runs"); do
  for program in engine wrappers; do
    echo "$program $(LAUNCHED_US=$(launched) "$work/$program")"
  done
  t=$(launched)
  ms=$(SKELVORNAX_TRACE_STARTUP=$t "$browser" --version 2>&1 >/dev/null | awk '$NF == "main" { print $2 }')
  echo "skelvornax $ms"
done >"$work/times"

median() { awk -v p="$1" '$1 == p { print $2 }' "$work/times" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
engine=$(median engine)
wrappers=$(median wrappers)
browser_ms=$(median skelvornax)
printf 'launch to main, median of %d runs:\n' "$runs"
printf '  empty program, engine and GTK:            %6.1f ms\n' "$engine"
more() { awk -v a="$1" -v b="$engine" 'BEGIN { printf "%+.1f", a - b }'; }
printf '  empty program, engine, GTK and wrappers:  %6.1f ms  (%s)\n' "$wrappers" "$(more "$wrappers")"
printf '  skelvornax-browser:                       %6.1f ms  (%s)\n' "$browser_ms" "$(more "$browser_ms")"
