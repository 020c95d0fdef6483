#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit, end-to-end and soak tests and
# the Debian package check once plainly; the unit tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, where any report fails the run; then each fuzz harness for a bounded
# time (FUZZ_SECONDS, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build -j2
(cd build && ctest --output-on-failure -j2)

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DGAUGEPLOT_SANITIZE=ON -DGAUGEPLOT_BENCH=OFF >/dev/null
cmake --build build-sanitize -j2
export ASAN_OPTIONS=abort_on_error=0:halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
(cd build-sanitize && ctest --output-on-failure -j2 -LE 'e2e|soak|package')

scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
