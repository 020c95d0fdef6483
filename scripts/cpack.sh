#!/usr/bin/env bash
# Runs cpack in a build folder with the generators given and prints the files it made, one a
# line. cpack's own list is the one to trust: older packages of another version may lie beside
# them. Fails when it made fewer files than generators; its output is kept in BUILD/cpack.log.
#   scripts/cpack.sh BUILD GENERATOR...
set -euo pipefail
build=$1
shift
(cd "$build" && cpack -G "$(IFS=';'; echo "$*")") | tee "$build/cpack.log" | grep -v '^CPack: -' >&2 || true
made=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$build/cpack.log")
if [ "$(grep -c . <<<"$made")" -ne $# ]; then
  echo "error: cpack did not make a package for each of $*; its output is in $build/cpack.log" >&2
  exit 1
fi
echo "$made"
