#!/usr/bin/env bash
# fuzz/run.sh SECONDS: installs clang and libFuzzer when missing (apt-get), builds the fuzz targets
# (preset `fuzz`, build-fuzz/), and runs every target for an equal share of SECONDS, one after the
# other, each starting from its seeds in fuzz/corpus/<target>/ (new inputs it finds go to
# build-fuzz/corpus/<target>/, never into the tree). Prints the executions of every target; the
# exit status is 1 when any target found a crash, undefined behaviour, a leak, a hang or a broken
# check (its input is kept as build-fuzz/findings/<target>-crash-…), 2 on a usage error.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $# -ne 1 || ! $1 =~ ^[0-9]+$ || $1 -lt 1 ]]; then
  echo "usage: fuzz/run.sh SECONDS   (the whole run; every target gets an equal share)" >&2
  exit 2
fi
total=$1
targets=(fuzz_replies fuzz_bitmap fuzz_printer fuzz_paste fuzz_settings fuzz_backup fuzz_state
         fuzz_transfer fuzz_command)

# libFuzzer's runtime comes with clang (libclang-rt-dev on newer releases).
links_fuzzer() {
  command -v clang++ >/dev/null &&
    echo 'extern "C" int LLVMFuzzerTestOneInput(const char *, unsigned long) { return 0; }' |
      clang++ -x c++ -fsanitize=fuzzer,address,undefined - -o /dev/null 2>/dev/null
}
extra=(clang)
if ! links_fuzzer && apt-cache show libclang-rt-dev >/dev/null 2>&1; then
  extra+=(libclang-rt-dev)
fi
mkdir -p build-fuzz
STAMP_PRESET=fuzz STAMP_EXTRA_PACKAGES="${extra[*]}" scripts/setup.sh >build-fuzz/build.log 2>&1 || {
  cat build-fuzz/build.log >&2
  echo "fuzz/run.sh: the fuzz build failed" >&2
  exit 1
}

# A whole backup, a state file, a printer's answers to a whole backup and a command carrying a job
# are larger than a reply.
max_len() {
  case $1 in
  fuzz_backup | fuzz_state | fuzz_transfer | fuzz_command) echo 65536 ;;
  *) echo 8192 ;;
  esac
}

share=$((total / ${#targets[@]}))
((share >= 1)) || share=1
mkdir -p build-fuzz/findings
export QT_QPA_PLATFORM=offscreen
found=0
report=()
for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  mkdir -p "$corpus"
  log=build-fuzz/findings/$t.log
  status=0
  # -timeout: one input taking longer is a hang; -rss_limit_mb: one using more is a finding too.
  build-fuzz/bin/"$t" "$corpus" "fuzz/corpus/$t" -max_total_time="$share" -timeout=10 \
    -rss_limit_mb=2048 -max_len="$(max_len "$t")" -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$t-" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if ((status != 0)); then
    found=1
    report+=("$(printf '%-14s %12s executions  FINDING (see %s)' "$t" "${execs:-?}" "$log")")
  else
    report+=("$(printf '%-14s %12s executions  clean' "$t" "${execs:-?}")")
  fi
  echo "${report[-1]}"
done

echo
echo "fuzz/run.sh $total: ${share} s a target"
printf '%s\n' "${report[@]}"
exit "$found"
