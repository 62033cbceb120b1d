#!/usr/bin/env bash
# Where the start-up time goes: starts skelvornax in a fresh home a few
# times with SKELVORNAX_TRACE_STARTUP set to the launch time, and prints the
# median of each mark (milliseconds since the launch), from main to the
# first page painted.
#
#   bash bench/startup_breakdown.sh [-n RUNS] [-- ADDRESS]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
# shellcheck source=bench/display.sh
source "$here/display.sh"
run_on_a_display "$here/startup_breakdown.sh" "$@"

runs=7
while getopts "n:" opt; do
  case $opt in
    n) runs=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS] [-- ADDRESS]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
browser="${BROWSER:-$root/build/skelvornax}"
[ -x "$browser" ] || { echo "missing $browser (build first)" >&2; exit 1; }

hold_display
log=$(mktemp)
trap 'kill "$display_holder" 2>/dev/null || true; rm -f "$log"' EXIT

one_run() {
  local home pid t
  home=$(mktemp -d /tmp/skelvornax-trace.XXXXXX)
  mkdir -p "$home/.local/share" "$home/.config" "$home/.cache" "$home/run"
  chmod 700 "$home/run"
  t=${EPOCHREALTIME/[.,]/}
  SKELVORNAX_TRACE_STARTUP=$t HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" "$browser" "$@" 2>"$home/err" &
  pid=$!
  for _ in $(seq 600); do
    grep -q "first page: painted" "$home/err" 2>/dev/null && break
    sleep 0.01
  done
  sleep 0.3
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pkill -P "$pid" 2>/dev/null || true
  grep "^startup " "$home/err" || true
  rm -rf "$home"
}

one_run "$@" >/dev/null  # uncounted: caches and session services warm up
for ((i = 0; i < runs; i++)); do one_run "$@"; done >"$log"

# Median per mark, in the order of the first run: milliseconds since the
# launch, and the processor time the browser's own process had used by then.
awk '{ name = $0; sub(/^startup +[0-9.]+ ms +[0-9.]+ cpu  /, "", name)
       if (!(name in seen)) { seen[name] = ++n; order[n] = name }
       t[name] = t[name] " " $2; c[name] = c[name] " " $4 }
     function median(list,   k, a, x, y, s) {
       k = split(list, a, " ")
       for (x = 2; x <= k; x++) for (y = x; y > 1 && a[y - 1] + 0 > a[y] + 0; y--) { s = a[y]; a[y] = a[y - 1]; a[y - 1] = s }
       return (k % 2) ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2 }
     BEGIN { print "  ms since launch   cpu ms  mark" }
     END { for (i = 1; i <= n; i++) printf "%17.1f %8.1f  %s\n", median(t[order[i]]), median(c[order[i]]), order[i] }' "$log"
