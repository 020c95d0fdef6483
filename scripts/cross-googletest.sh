#!/usr/bin/env bash
# Builds Debian's GoogleTest sources (/usr/src/googletest, package googletest) for a cross build
# and installs them under DEPS, once: the unit tests' GoogleTest must come from the same compiler.
#   scripts/cross-googletest.sh DEPS CONFIGURE...
# CONFIGURE is the cross build's CMake configure command with its options, such as
# "cmake -DCMAKE_TOOLCHAIN_FILE=..." or "emcmake cmake"; the source and build folders are added.
set -euo pipefail
deps=$1
shift
[ -f "$deps/lib/cmake/GTest/GTestConfig.cmake" ] && exit 0
"$@" -S /usr/src/googletest -B "$deps/googletest-build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_GMOCK=OFF >/dev/null
cmake --build "$deps/googletest-build" -j2 >/dev/null
cmake --install "$deps/googletest-build" >/dev/null
