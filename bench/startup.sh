#!/usr/bin/env bash
# Start-up time and memory of skelvornax next to the smallest WebKitGTK
# window (build/bench/minimal_window), both showing the help page.
#
#   bash bench/startup.sh [-n RUNS]
#
# Time: from launch until a visible window is titled
# "skelvornax Help - skelvornax" (polled every 10 ms with xdotool).
# Memory: PSS of the UI process and all its descendants, ~1.5 s after that.
# Every run gets fresh home and XDG folders, so first-run work is counted.
# Hand-over: with one skelvornax running, the time from a second start with a
# page as argument until a visible window shows that page's title; reported
# against the minimal window's cold start of the same run.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

if [ -z "${DISPLAY:-}" ]; then
  exec bash "$here/../scripts/headless.sh" bash "$here/startup.sh" "$@"
fi

runs=5
while getopts "n:" opt; do
  case $opt in
    n) runs=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS]" >&2; exit 2 ;;
  esac
done

browser="$root/build/skelvornax"
minimal="$root/build/bench/minimal_window"
help_page="$root/build/skelvornaxHelp.htm"
ready_title='^skelvornax Help - skelvornax$'
settle_s=1.5
timeout_ms=60000

command -v xdotool >/dev/null || apt-get install -y xdotool >/dev/null
for f in "$browser" "$minimal" "$help_page"; do
  [ -e "$f" ] || { echo "missing $f (build first)" >&2; exit 1; }
done

# An X server resets when its last client leaves; a program starting during
# the reset cannot open the display. One idle client keeps it up.
hold_display() {
  xdotool sleep 86400 &
  holder=$!
  trap 'kill "$holder" 2>/dev/null || true' EXIT
}

now_ms() { local t=${EPOCHREALTIME/[.,]/}; echo $((t / 1000)); }

# All descendants of a process, depth first.
tree_pids() {
  local child
  for child in $(pgrep -P "$1" || true); do
    echo "$child"
    tree_pids "$child"
  done
}

# Summed PSS of a process and its descendants, in KiB.
tree_pss() {
  local pid total=0 kb
  for pid in "$1" $(tree_pids "$1"); do
    kb=$(awk '/^Pss:/ { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null || true)
    total=$((total + ${kb:-0}))
  done
  echo "$total"
}

# PSS splits shared library pages among every process mapping them, so a
# WebKit process outside the tree (another browser, a test run) lowers it.
warn_if_shared() {
  local ours others
  ours=" $1 $(tree_pids "$1" | tr '\n' ' ') "
  others=$(pgrep -f 'WebKit(Web|Network)Process' | while read -r p; do
    [[ $ours == *" $p "* ]] || echo "$p"; done | wc -l)
  if [ "$others" -gt 0 ]; then
    echo "note: $others other WebKit processes running; PSS reads low" >&2
  fi
}

# Ends the UI process, then whatever of its tree is left.
kill_tree() {
  local pid=$1 rest
  rest=$(tree_pids "$pid")
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  # shellcheck disable=SC2086
  if [ -n "$rest" ]; then kill $rest 2>/dev/null || true; fi
}

wait_ready() {
  local start=$1 pid=$2 title=${3:-$ready_title}
  until xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "process $pid exited before ready" >&2; return 1; }
    (( $(now_ms) - start < timeout_ms )) || { echo "no ready window after ${timeout_ms} ms" >&2; return 1; }
    sleep 0.01
  done
}

# A fresh home with its own runtime folder (so no run meets another's
# instance lock).
make_home() {
  local home
  home=$(mktemp -d /tmp/skelvornax-bench-home.XXXXXX)
  mkdir -p "$home/.local/share" "$home/.config" "$home/.cache" "$home/run"
  chmod 700 "$home/run"
  echo "$home"
}

# Runs a command with HOME and the XDG folders in the given home.
in_home() {
  local home=$1
  shift
  HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" "$@"
}

# Starts a program in a home and waits for its window: sets start and pid,
# or cleans up and fails.
launch_ready() {
  local home=$1
  shift
  start=$(now_ms)
  in_home "$home" "$@" >"$home/out.log" 2>&1 &
  pid=$!
  wait_ready "$start" "$pid" && return 0
  kill_tree "$pid"
  tail -n 5 "$home/out.log" >&2
  rm -rf "$home"
  return 1
}

# One run of a program in a fresh home: prints "<startup ms> <PSS KiB>".
measure_start() {
  local home pid start ready pss
  home=$(make_home)
  launch_ready "$home" "$@" || return 1
  ready=$(now_ms)
  sleep "$settle_s"
  pss=$(tree_pss "$pid")
  warn_if_shared "$pid"
  kill_tree "$pid"
  rm -rf "$home"
  echo "$((ready - start)) $pss"
}

# One skelvornax kept running; then one uncounted and RUNS counted second
# starts, each handing over a page of its own: prints one ms figure per line.
measure_handovers() {
  local home pid i start title page socket
  home=$(make_home)
  socket="$home/run/skelvornax/marker.sock"
  launch_ready "$home" "$browser" || return 1
  until [ -S "$socket" ]; do
    if ! kill -0 "$pid" 2>/dev/null || (($(now_ms) - start >= timeout_ms)); then
      echo "no marker socket at $socket" >&2
      kill_tree "$pid"
      rm -rf "$home"
      return 1
    fi
    sleep 0.01
  done
  for ((i = 0; i <= runs; i++)); do
    title="Hand-over page $i"
    page="$home/page $i.htm"
    printf '<html><head><title>%s</title></head><body>%s</body></html>\n' "$title" "$title" >"$page"
    start=$(now_ms)
    if ! in_home "$home" "$browser" "$page" >>"$home/out.log" 2>&1 ||
      ! wait_ready "$start" "$pid" "^$title - skelvornax\$"; then
      echo "hand-over $i failed" >&2
      kill_tree "$pid"
      tail -n 5 "$home/out.log" >&2
      rm -rf "$home"
      return 1
    fi
    ((i == 0)) || echo "$(($(now_ms) - start))"
  done
  kill_tree "$pid"
  rm -rf "$home"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }

# One uncounted run of each first (cold caches, session services starting),
# then the two programs alternate so drift hits both alike.
main() {
  local i b m b_ms=() b_pss=() m_ms=() m_pss=()
  hold_display
  measure_start "$browser" >/dev/null
  measure_start "$minimal" "file://$help_page" >/dev/null
  for ((i = 1; i <= runs; i++)); do
    b=$(measure_start "$browser")
    m=$(measure_start "$minimal" "file://$help_page")
    echo "run $i: skelvornax ${b% *} ms $(mib "${b#* }") MiB   minimal ${m% *} ms $(mib "${m#* }") MiB" >&2
    b_ms+=("${b% *}"); b_pss+=("${b#* }"); m_ms+=("${m% *}"); m_pss+=("${m#* }")
  done
  local bt mt bp mp
  bt=$(printf '%s\n' "${b_ms[@]}" | median); mt=$(printf '%s\n' "${m_ms[@]}" | median)
  bp=$(printf '%s\n' "${b_pss[@]}" | median); mp=$(printf '%s\n' "${m_pss[@]}" | median)
  printf 'startup ms (median of %d): skelvornax %-6.0f minimal %-6.0f ratio %s\n' "$runs" "$bt" "$mt" "$(ratio "$bt" "$mt")"
  printf 'PSS MiB (median of %d):    skelvornax %-6s minimal %-6s ratio %s\n' "$runs" "$(mib "$bp")" "$(mib "$mp")" "$(ratio "$bp" "$mp")"
  local h_ms ht h
  h_ms=$(measure_handovers)
  i=0
  for h in $h_ms; do echo "hand-over $((++i)): ${h} ms" >&2; done
  # shellcheck disable=SC2086
  ht=$(printf '%s\n' $h_ms | median)
  printf 'hand-over ms (median of %d): skelvornax %-6.0f minimal cold start %-6.0f ratio %s\n' "$runs" "$ht" "$mt" \
    "$(ratio "$ht" "$mt")"
}

main
