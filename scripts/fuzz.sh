#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each from its committed corpus for a bounded
# time; any crash or breach fails the run and leaves the input that caused it in build-fuzz/.
#   scripts/fuzz.sh [seconds per harness, default 60] [harness...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(gaugeplot2d gaugeplot3d)

scripts/setup.sh
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGAUGEPLOT_FUZZ=ON >/dev/null
for h in "${harnesses[@]}"; do
  cmake --build build-fuzz -j2 --target "fuzz_$h"
done

for h in "${harnesses[@]}"; do
  # New inputs go to a scratch corpus; the committed one is only read.
  work="build-fuzz/corpus-$h"
  mkdir -p "$work" "build-fuzz/crashes-$h"
  echo "== fuzz_$h for ${seconds}s"
  status=0
  "build-fuzz/tests/fuzz/fuzz_$h" "$work" "fuzz/corpus/$h" \
    -max_total_time="$seconds" -max_len=2048 -close_fd_mask=1 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/crashes-$h/" >"build-fuzz/fuzz-$h.log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|stat::events_delivered|stat::new_units_added|Done|breach|SUMMARY)' "build-fuzz/fuzz-$h.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "build-fuzz/fuzz-$h.log" >&2
    echo "fuzz_$h found a failure (status $status); the input is in build-fuzz/crashes-$h/" >&2
    exit 1
  fi
done
