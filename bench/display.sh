# shellcheck shell=bash
# Sourced by the bench scripts that start windows: a display to start them on.

# Runs the calling script again on a headless display when there is none.
#   run_on_a_display "$0" "$@"
run_on_a_display() {
  local script=$1
  shift
  if [ -z "${DISPLAY:-}" ]; then
    exec bash "$(dirname "${BASH_SOURCE[0]}")/../scripts/headless.sh" bash "$script" "$@"
  fi
}

# An X server may reset when its last client leaves, and a program starting
# during the reset cannot open the display: one idle client keeps it up. The
# caller's exit trap ends it (kill "$display_holder").
hold_display() {
  xprop -root -spy >/dev/null 2>&1 &
  # shellcheck disable=SC2034  # the caller's exit trap ends it
  display_holder=$!
}
