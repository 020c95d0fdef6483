#!/usr/bin/env bash
# Makes the Debian package in a build folder, fails on any lintian error or hardening tag, extracts
# it into a scratch folder, checks its programs' hardening and its AppStream files, makes it again
# in another build folder to compare the bytes, and starts each program in a private Xvfb.
#   tests/package/check_package.sh SOURCE_DIR BUILD_DIR [CPACK] [CMAKE]
# A package for another processor (an arm64 build) has its programs started under qemu-user by
# the native build's package test, which GAUGEPLOT_PACKAGE_TESTS names.
set -euo pipefail
source=$1
build=$(cd "$2" && pwd)
cpack=${3:-cpack}
cmake=${4:-cmake}

for tool in "$cpack" "$cmake" lintian dpkg-deb dpkg-shlibdeps hardening-check appstreamcli readelf; do
  command -v "$tool" >/dev/null || { echo "error: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

cd "$build"
rm -f gaugeplot_*.deb
"$cpack" -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
package=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' cpack.log)
[ -n "$package" ] || { echo "error: cpack made no package:" >&2; cat cpack.log >&2; exit 1; }
echo "== $package"

status=0
lintian --fail-on error --display-info "$package" >lintian.log 2>&1 || status=$?
# Its note on running as root is not about the package.
grep -v 'root privileges' lintian.log || true
if [ "$status" -ne 0 ] || grep -q ' hardening-' lintian.log; then
  echo "error: lintian found errors or missing hardening in $package (status $status)" >&2
  exit 1
fi

# The folder package_test was built to look in.
root="$build/package-root"
rm -rf "$root"
dpkg-deb -x "$package" "$root"

# Every protection where there is something to protect (no large frame needs stack-clash probes,
# gaugeplot3d calls no libc function with a checked form); control flow protection only where the
# C library's start files carry its marker, since the linker keeps it only if every object does.
ok='[A-Za-z -]*: yes( \(.*\))?|Stack clash protection: unknown, no -fstack-clash-protection instructions found'
ok+='|Fortify Source functions: unknown, no protectable libc functions used'
compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' CMakeCache.txt)
readelf -n "$("${compiler:-c++}" -print-file-name=Scrt1.o)" | grep -q 'IBT, SHSTK' || ok+='|Control flow integrity: no, not found!'
for program in gaugeplot2d gaugeplot3d; do
  report=$(hardening-check "$root/usr/bin/$program" || true)
  echo "$report"
  ! echo "$report" | sed 1d | grep -Ev "^ ($ok)$" || { echo "error: $program lacks the protections above" >&2; exit 1; }
done
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

# The same sources and options in another build folder give the same bytes.
again="$build/package-again"
options=$(sed -n 's/^\(CMAKE_BUILD_TYPE\|CMAKE_CXX_COMPILER\|CMAKE_TOOLCHAIN_FILE\|GAUGEPLOT_[A-Z]*\):[A-Z]*=\(.*\)$/-D\1=\2/p' CMakeCache.txt)
# shellcheck disable=SC2086  # one option a word
"$cmake" -S "$source" -B "$again" $options -DBUILD_TESTING=OFF -DGAUGEPLOT_BENCH=OFF >/dev/null
"$cmake" --build "$again" -j2 >/dev/null
(cd "$again" && rm -f gaugeplot_*.deb && "$cpack" -G DEB >cpack.log 2>&1) || { cat "$again/cpack.log" >&2; exit 1; }
sha256sum "$package" "$again/$(basename "$package")"
cmp "$package" "$again/$(basename "$package")" || { echo "error: the two packages differ" >&2; exit 1; }
if [ "$(dpkg-deb -f "$package" Architecture)" = "$(dpkg --print-architecture)" ]; then
  "$build/tests/package/gaugeplot_package_tests"
else
  GAUGEPLOT_E2E_ARM64=$root/usr/bin "${GAUGEPLOT_PACKAGE_TESTS:?is not set: it names the package test program of the native build}"
fi
