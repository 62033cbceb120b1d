#!/usr/bin/env bash
# Runs clang-tidy with the repository's .clang-tidy over every source of a
# configured build folder (default: build); any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
run-clang-tidy -p "$build" -quiet -j"$(nproc)" "$(pwd)/(src|tests|bench|data)/" >"$build/tidy.log" 2>&1 || {
  sed 's/\x1b\[[0-9;]*m//g' "$build/tidy.log" | grep -E "(warning|error):" | sort -u >&2
  echo "tidy: findings above (full log in $build/tidy.log)" >&2
  exit 1
}
echo "tidy: clean"
