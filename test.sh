#!/usr/bin/env bash
# Sets up, builds and runs every test (core and windows) headless.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKELVORNAX_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
scripts/headless.sh ctest --test-dir build --output-on-failure -j2 "$@"
