#!/usr/bin/env bash
# Builds the core tests and the fake-engine window tests with AddressSanitizer
# and UndefinedBehaviorSanitizer (in build-asan) and runs them headless.
# Leaks are checked in the core tests; the toolkit's own one-time allocations
# would drown the window tests' report, so there only memory errors count.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSKELVORNAX_SANITIZE=ON -DSKELVORNAX_WERROR=ON \
  -DSKELVORNAX_BENCH=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j2 -L core
ASAN_OPTIONS=detect_leaks=0 scripts/headless.sh ctest --test-dir build-asan --output-on-failure -j2 -L fake
