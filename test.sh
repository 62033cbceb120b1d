#!/usr/bin/env bash
# Sets up, builds and runs every test and check headless: the formatting,
# the program's tests (core and windows, real WebKitGTK under Xvfb), what a
# user installs (desktop files, DESTDIR install, the Debian package), the
# static checks, the core and fake-engine window tests again under the
# address and undefined-behaviour sanitizers, and a short run of every fuzz
# target. Arguments go to the first ctest.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
scripts/check-format.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKELVORNAX_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
scripts/headless.sh ctest --test-dir build --output-on-failure -j2 "$@"
scripts/package-check.sh build
scripts/tidy.sh build
scripts/sanitize.sh
scripts/fuzz.sh --runs 20000
