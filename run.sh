#!/usr/bin/env bash
# Builds the program as ./test.sh does, then starts it on the built-in virtual printer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh

bin=build/bin
settings="$bin/stampline.dev"
# Attach COM1 to the virtual printer only when the settings name no devices of their own.
if ! grep -q '^\[PortDevices\]' "$settings" 2>/dev/null; then
  printf '\n[PortDevices]\nCOM1=virtual:%s\n' "$PWD/$bin/vprinter-state.json" >>"$settings"
fi

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
  cat >&2 <<'TXT'
No display is available for the program's windows. Either
  - run it under a virtual X server:  apt-get install xvfb && xvfb-run -a ./run.sh
    (and look at it with a VNC server or screenshots), or
  - run it where a desktop session is open (DISPLAY or WAYLAND_DISPLAY set).
TXT
  exit 1
fi
exec "$bin/stampline" "$@"
