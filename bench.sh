#!/usr/bin/env bash
# Measures the program against its performance goals and prints one table (Markdown, as the
# README's "Performance" section keeps it). Installs what is missing (apt-get, Debian/Ubuntu),
# configures a Release build in build-release/ (preset "release"), builds only the benchmarks and
# what they need, and runs them. Every figure that can be is a ratio or a share of two things
# measured in the same run, so a busy machine moves it little. Never part of ./test.sh or CTest.
# The exit status says whether every benchmark ran, not whether every goal was met.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
          libgl-dev libxkbcommon-dev qt6-qpa-plugins)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

cmake --preset release >/dev/null
cmake --build --preset release --target benchmarks -j"$(nproc)" >&2

bin=build-release/bin
out=build-release/bench
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
status=0
: >"$out/results.txt"
# In the order of the table: the link, drawing and memory, the program's start.
for b in bench_link bench_markview bench_band bench_start; do
  echo "Running $b ..." >&2
  if ! "$bin/$b" >"$out/$b.txt" 2>"$out/$b.err"; then
    echo "$b failed; see $out/$b.err" >&2
    status=1
  fi
  cat "$out/$b.txt" >>"$out/results.txt"
done

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
os=$(. /etc/os-release && echo "$PRETTY_NAME")
qt=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null | cut -d+ -f1)
echo
echo "Machine: $(nproc) cores ($cpu), $os, Qt ${qt:-unknown}; load average at the end:" \
     "$(cut -d' ' -f1-3 /proc/loadavg); $(date -u '+%Y-%m-%d %H:%M UTC')."
echo
echo "| Figure | Measured | Goal | |"
echo "|---|---|---|---|"
awk -F'\t' '$1 == "FIGURE" { printf "| %s | %s | %s | %s |\n", $2, $3, $4, $5 }' "$out/results.txt"
echo
echo "How each figure came about:"
sed -n 's/^# /- /p' "$out/results.txt"
exit "$status"
