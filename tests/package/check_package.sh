#!/usr/bin/env bash
# Makes the Debian package in a build folder, fails on any lintian error, extracts the package into
# a scratch folder and starts each extracted program in a private Xvfb until its window appears.
#   tests/package/check_package.sh BUILD_DIR [CPACK]
set -euo pipefail
build=$(cd "$1" && pwd)
cpack=${2:-cpack}

for tool in "$cpack" lintian dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "error: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

cd "$build"
rm -f gaugeplot_*.deb
"$cpack" -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
package=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' cpack.log)
[ -n "$package" ] || { echo "error: cpack made no package:" >&2; cat cpack.log >&2; exit 1; }
echo "== $package"

status=0
lintian --fail-on error "$package" >lintian.log 2>&1 || status=$?
# Its note on running as root is not about the package.
grep -v 'root privileges' lintian.log || true
if [ "$status" -ne 0 ]; then
  echo "error: lintian found errors in $package (status $status)" >&2
  exit 1
fi

# The folder package_test was built to look in.
root="$build/package-root"
rm -rf "$root"
dpkg-deb -x "$package" "$root"
"$build/tests/package/gaugeplot_package_tests"
