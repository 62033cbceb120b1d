#!/usr/bin/env bash
# Sets up, builds and starts skelvornax. Arguments go to the browser
# (an address or a file to open).
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target skelvornax
exec build/skelvornax "$@"
