#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-release/, then CPack. The .deb lands in
# build-release/ (stampline_<version>_<arch>.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
STAMP_PRESET=release scripts/setup.sh
(cd build-release && cpack -G DEB)
ls -1 build-release/*.deb
