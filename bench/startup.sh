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
# The minimal window opens at the size of skelvornax's first window (measured
# in the first, uncounted run), so both lay out and paint the same page area
# or more for the minimal one.
# Hand-over: with one skelvornax running, the time from a second start with a
# page as argument until a visible window shows that page's title; reported
# against the minimal window's cold start of the same run.
# Beside it, the floor the engine sets: a bare program opening a new window
# that shares its first window's page process (bench/second_window).
# Five windows: skelvornax on a loopback page, then four second starts of the
# same page; the PSS of the whole tree and its number of page processes. Then
# that page process is killed: every window must show its error page.
# A peer: when GNOME Web (epiphany) is installed, its cold starts on the same
# page alternate with the two others, for time and memory.
# Targets: start-up <= 1.00 x the minimal window, PSS <= 1.02 x, hand-over
# <= 0.10 x the minimal window's cold start.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
# shellcheck source=bench/display.sh
source "$here/display.sh"
run_on_a_display "$here/startup.sh" "$@"

runs=5
while getopts "n:" opt; do
  case $opt in
    n) runs=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS]" >&2; exit 2 ;;
  esac
done

browser="$root/build/skelvornax"
minimal="$root/build/bench/minimal_window"
second="$root/build/bench/second_window"
help_page="$root/build/skelvornaxHelp.htm"
ready_title='^skelvornax Help - skelvornax$'
settle_s=1.5
timeout_ms=60000

command -v xdotool >/dev/null || apt-get install -y xdotool >/dev/null
for f in "$browser" "$minimal" "$second" "$help_page"; do
  [ -e "$f" ] || { echo "missing $f (build first)" >&2; exit 1; }
done

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
  # Gone before their home is removed: a process still ending may write there.
  local i p alive
  for ((i = 0; i < 200; i++)); do
    alive=0
    for p in $rest; do kill -0 "$p" 2>/dev/null && alive=1; done
    ((alive)) || break
    sleep 0.01
  done
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

# Starts a program in a home and waits for its window (titled READY_TITLE,
# by default the help page in skelvornax): sets start and pid,
# or cleans up and fails.
launch_ready() {
  local home=$1
  shift
  start=$(now_ms)
  in_home "$home" "$@" >"$home/out.log" 2>&1 &
  pid=$!
  wait_ready "$start" "$pid" "${READY_TITLE:-$ready_title}" && return 0
  kill_tree "$pid"
  tail -n 5 "$home/out.log" >&2
  rm -rf "$home"
  return 1
}

# One run of a program in a fresh home: prints "<startup ms> <PSS KiB>".
# With SIZE_OUT set, also writes the ready window's "WIDTHxHEIGHT" there.
measure_start() {
  local home pid start ready pss
  home=$(make_home)
  launch_ready "$home" "$@" || return 1
  ready=$(now_ms)
  if [ -n "${SIZE_OUT:-}" ]; then
    xdotool search --onlyvisible --name "$ready_title" getwindowgeometry --shell |
      awk -F= '/^WIDTH/ { w = $2 } /^HEIGHT/ { h = $2 } END { print w "x" h }' >"$SIZE_OUT"
  fi
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

# Five windows on one loopback page: prints "<PSS KiB> <page processes>
# <windows showing the error page after their process was killed>".
measure_five_windows() {
  local home pid start server port url i pss procs crashed
  home=$(make_home)
  printf '<html><head><title>Loopback page</title></head><body><p>%s</p></body></html>\n' "$(seq 1 200)" \
    >"$home/page.htm"
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  python3 -m http.server -b 127.0.0.1 -d "$home" "$port" >/dev/null 2>&1 &
  server=$!
  url="http://127.0.0.1:$port/page.htm"
  until python3 -c "import urllib.request as u; u.urlopen('$url')" 2>/dev/null; do
    sleep 0.05
  done
  start=$(now_ms)
  in_home "$home" "$browser" "$url" >"$home/out.log" 2>&1 &
  pid=$!
  wait_ready "$start" "$pid" '^Loopback page - skelvornax$' || { kill "$server"; kill_tree "$pid"; return 1; }
  until [ -S "$home/run/skelvornax/marker.sock" ]; do sleep 0.01; done
  for ((i = 1; i < 5; i++)); do in_home "$home" "$browser" "$url" >>"$home/out.log" 2>&1; done
  until [ "$(xdotool search --onlyvisible --name '^Loopback page - skelvornax$' 2>/dev/null | wc -l)" -ge 5 ]; do
    (($(now_ms) - start < timeout_ms)) || { echo "five windows did not show" >&2; break; }
    sleep 0.05
  done
  sleep "$settle_s"
  pss=$(tree_pss "$pid")
  procs=$(tree_pids "$pid" | while read -r p; do grep -l WebKitWebProces "/proc/$p/comm" 2>/dev/null; done | wc -l)
  for p in $(tree_pids "$pid"); do
    grep -q WebKitWebProces "/proc/$p/comm" 2>/dev/null && kill -KILL "$p"
  done
  crashed=0
  for ((i = 0; i < 100 && crashed < 5; i++)); do
    sleep 0.05
    crashed=$(xdotool search --onlyvisible --name '^This page stopped working - skelvornax$' 2>/dev/null | wc -l)
  done
  kill_tree "$pid"
  kill "$server" 2>/dev/null || true
  rm -rf "$home"
  echo "$pss $procs $crashed"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }

# One uncounted run of each first (cold caches, session services starting),
# then the two programs alternate so drift hits both alike.
main() {
  local i b m p b_ms=() b_pss=() m_ms=() m_pss=() p_ms=() p_pss=() size peer
  peer=$(command -v epiphany || true)
  hold_display
  trap 'kill "$display_holder" 2>/dev/null || true' EXIT
  size=$(mktemp)
  SIZE_OUT=$size measure_start "$browser" >/dev/null
  read -r size <"$size"
  echo "skelvornax's window: $size; the minimal window opens at that size" >&2
  measure_start "$minimal" "file://$help_page" "$size" >/dev/null
  for ((i = 1; i <= runs; i++)); do
    b=$(measure_start "$browser")
    m=$(measure_start "$minimal" "file://$help_page" "$size")
    echo "run $i: skelvornax ${b% *} ms $(mib "${b#* }") MiB   minimal ${m% *} ms $(mib "${m#* }") MiB" >&2
    b_ms+=("${b% *}"); b_pss+=("${b#* }"); m_ms+=("${m% *}"); m_pss+=("${m#* }")
    if [ -n "$peer" ]; then
      # Its window is titled with the page's title alone.
      p=$(READY_TITLE='^skelvornax Help' measure_start "$peer" "file://$help_page")
      echo "run $i: GNOME Web ${p% *} ms $(mib "${p#* }") MiB" >&2
      p_ms+=("${p% *}"); p_pss+=("${p#* }")
    fi
  done
  local bt mt bp mp
  bt=$(printf '%s\n' "${b_ms[@]}" | median); mt=$(printf '%s\n' "${m_ms[@]}" | median)
  bp=$(printf '%s\n' "${b_pss[@]}" | median); mp=$(printf '%s\n' "${m_pss[@]}" | median)
  printf 'startup ms (median of %d): skelvornax %-6.0f minimal %-6.0f ratio %s (target <= 1.00)\n' "$runs" "$bt" "$mt" \
    "$(ratio "$bt" "$mt")"
  printf 'PSS MiB (median of %d):    skelvornax %-6s minimal %-6s ratio %s (target <= 1.02)\n' "$runs" "$(mib "$bp")" \
    "$(mib "$mp")" "$(ratio "$bp" "$mp")"
  if [ -n "$peer" ]; then
    local pt pp
    pt=$(printf '%s\n' "${p_ms[@]}" | median); pp=$(printf '%s\n' "${p_pss[@]}" | median)
    printf 'peer, GNOME Web (median of %d): %.0f ms, %s MiB; skelvornax takes %s x its time, %s x its memory\n' "$runs" \
      "$pt" "$(mib "$pp")" "$(ratio "$bt" "$pt")" "$(ratio "$bp" "$pp")"
  fi
  local h_ms ht h
  h_ms=$(measure_handovers)
  i=0
  for h in $h_ms; do echo "hand-over $((++i)): ${h} ms" >&2; done
  # shellcheck disable=SC2086
  ht=$(printf '%s\n' $h_ms | median)
  printf 'hand-over ms (median of %d): skelvornax %-6.0f minimal cold start %-6.0f ratio %s (target <= 0.10)\n' \
    "$runs" "$ht" "$mt" "$(ratio "$ht" "$mt")"
  local floor home
  home=$(make_home)
  printf '<html><head><title>Second window</title></head><body>page</body></html>\n' >"$home/page.htm"
  floor=$(in_home "$home" "$second" "file://$help_page" "file://$home/page.htm" "$runs" 2>/dev/null || echo "?")
  rm -rf "$home"
  printf 'the bare engine alone: a new window sharing the running page process shows a page in %s ms (ratio %s)\n' \
    "$floor" "$(ratio "$floor" "$mt")"
  local five
  five=$(measure_five_windows)
  printf 'five windows on one loopback page: PSS %s MiB, %s page process(es); after killing it, %s of 5 windows show the error page\n' \
    "$(mib "${five%% *}")" "$(echo "$five" | cut -d' ' -f2)" "${five##* }"
}

main
