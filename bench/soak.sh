#!/usr/bin/env bash
# A long run of skelvornax (not part of CI): five windows on loopback pages
# that reload every second for MINUTES (default 10), each load written to the
# history, while the driver adds and removes sites in the list files; then
# twenty windows opened and closed one after another by a page.
#
#   bash bench/soak.sh [-m MINUTES]
#
# Prints the page loads, the history hits, the PSS of the program's process
# tree at the start and the end, file errors and crashes; exits non-zero
# when a file error or crash was seen or a window did not close.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
# shellcheck source=bench/display.sh
source "$here/display.sh"
run_on_a_display "$here/soak.sh" "$@"

minutes=10
while getopts "m:" opt; do
  case $opt in
    m) minutes=$OPTARG ;;
    *) echo "usage: $0 [-m MINUTES]" >&2; exit 2 ;;
  esac
done

cmake --build "$root/build" -j"$(nproc)" --target skelvornax soak_driver >/dev/null
hold_display
trap 'kill "$display_holder" 2>/dev/null || true' EXIT
"$root/build/bench/soak_driver" "$root/build/skelvornax" "$root/build" "$minutes"
