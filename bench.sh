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
          libgl-dev libxkbcommon-dev qt6-qpa-plugins xvfb libqt6sql6-sqlite libpaho-mqttpp-dev
          libpaho-mqtt-dev libssl-dev mosquitto)
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

# A real X server for the start on X: Xvfb on the first display number nobody holds, ended with
# this script.
xvfb_pid=
display_number=
for n in $(seq 90 140); do
  if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then
    display_number=$n
    break
  fi
done
if [[ -n $display_number ]]; then
  Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap '[[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null; true' EXIT
  for _ in $(seq 100); do
    [[ -e /tmp/.X11-unix/X$display_number ]] && break
    sleep 0.1
  done
  if [[ -e /tmp/.X11-unix/X$display_number ]]; then
    export BENCH_X_DISPLAY=":$display_number"
  else
    echo "Xvfb did not start on :$display_number" >&2
  fi
fi

bin=build-release/bin
out=build-release/bench
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
status=0
: >"$out/results.txt"
# In the order of the table: the link and the operator's jobs, the printers of a line, the audit
# trail and the agent, drawing and
# memory, the program's start, the idle program.
for b in bench_link bench_line bench_agent bench_markview bench_band bench_start bench_idle; do
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
echo "Operator's jobs at 57600 baud (medians of the runs; the stand-in's own lateness taken off):"
echo
echo "| Job | Bytes traced | Floor | Program | Stand-in late | Program ÷ floor | Goal | |" \
     "Reference host | Program ÷ reference | Goal | |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
awk -F'\t' '$1 == "JOB" {
  printf "| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n",
         $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13 }' "$out/results.txt"
echo
echo "How each figure came about:"
sed -n 's/^# /- /p' "$out/results.txt"
exit "$status"
