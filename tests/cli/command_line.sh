#!/usr/bin/env bash
# The programs answer --help and --version without a display and refuse an
# unknown option with one line and exit code 2.
#   command_line.sh LAUNCHER BROWSER
set -u
fail=0
check() {  # name expected-code pattern command...
  local name=$1 code=$2 pattern=$3; shift 3
  local out rc
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$@" 2>&1); rc=$?
  if [ "$rc" -ne "$code" ] || ! grep -q -- "$pattern" <<<"$out"; then
    echo "FAIL $name: exit $rc (want $code), output: $out"; fail=1
  else
    echo "ok   $name"
  fi
}
for exe in "$1" "$2"; do
  check "$(basename "$exe") --help" 0 "Usage: skelvornax" "$exe" --help
  check "$(basename "$exe") -h among addresses" 0 "Usage: skelvornax" "$exe" example.org -h
  check "$(basename "$exe") --version" 0 "^skelvornax [0-9]" "$exe" --version
done
check "browser --bogus" 2 "unknown option --bogus" "$2" --bogus
check "launcher --bogus" 2 "unknown option --bogus" "$1" --bogus
lines=$(env -u DISPLAY "$2" --bogus 2>&1 | wc -l)
[ "$lines" -eq 1 ] || { echo "FAIL one line for an unknown option, got $lines"; fail=1; }
exit $fail
