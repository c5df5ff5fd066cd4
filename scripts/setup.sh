#!/usr/bin/env bash
# Installs what the build needs on a fresh Debian/Ubuntu machine, configures and builds.
# STAMP_PRESET names the CMake preset (default: "default", which builds into build/).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${STAMP_PRESET:-default}

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
          libgl-dev libxkbcommon-dev qt6-qpa-plugins libqt6sql6-sqlite libpaho-mqttpp-dev
          libpaho-mqtt-dev libssl-dev mosquitto mosquitto-clients ${STAMP_EXTRA_PACKAGES:-})
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
