#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package build/gaugeplot_<version>_amd64.deb;
# install it with: apt-get install ./build/gaugeplot_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
# cpack writes the package into the folder it runs in; its own list of what it made is the one
# to trust, since an older package of another version may lie next to it.
(cd build && cpack -G DEB) | tee build/cpack.log | grep -v '^CPack: -' || true
package=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' build/cpack.log)
if [ -z "$package" ]; then
  echo "error: cpack made no package; its output is in build/cpack.log" >&2
  exit 1
fi
echo "$package"
