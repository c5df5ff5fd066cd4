#!/usr/bin/env bash
# Installs what is missing, configures, builds into build/ and runs every test with CTest.
# The exit status is the tests' verdict.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
ctest --preset default -j"$(nproc)"
