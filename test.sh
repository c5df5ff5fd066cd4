#!/usr/bin/env bash
# Installs what is missing, configures, builds into build/ and runs every test with CTest.
# The exit status is the tests' verdict. STAMP_PRESET=ci makes every warning an error.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
ctest --preset "${STAMP_PRESET:-default}" -j"$(nproc)"
