#!/usr/bin/env bash
# Takes the manual's pictures under a virtual X server: builds the picture taker and saves every
# window into help/images/.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v xvfb-run >/dev/null; then
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq xvfb xauth >/dev/null
fi
cmake --build --preset default --target stampline-shots
mkdir -p help/images
xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/stampline-shots help/images
ls -l help/images
