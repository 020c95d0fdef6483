#!/usr/bin/env bash
# Cross-builds both viewers for 64-bit Windows with MinGW-w64 and makes
# build-windows/gaugeplot-<version>-win64.zip and build-windows/gaugeplot-<version>-win64.exe
# (an installer). Everything comes from Debian's archive: the cross compiler and nsis as binary
# packages, freeglut and GoogleTest as Debian's sources, built here with the same compiler and
# kept in build-windows/deps for the next run. Run as root on Debian when packages are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

# librsvg2-bin and icoutils make the programs' icons from the SVG ones (rsvg-convert, icotool).
scripts/setup.sh cmake dpkg-dev g++-mingw-w64-x86-64-posix nsis googletest librsvg2-bin icoutils

build=build-windows
deps=$PWD/$build/deps
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
mkdir -p "$deps"

# The deb-src line for Debian 12's main archive, from the first of the machine's own apt sources
# that serves it: deb822 stanzas in /etc/apt/sources.list.d/*.sources, one-line entries in
# /etc/apt/sources.list and /etc/apt/sources.list.d/*.list. Its mirror and its signing keys are
# taken over, so apt checks what it fetches as it checks the machine's own updates. An entry
# counts when it is enabled, names the component main and the release itself as a suite (the
# machine's or bookworm; not -updates or -security, which live elsewhere on some mirrors).
debian_source_entry() {
  local release
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  local files=() f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -r "$f" ] && files+=("$f")
  done
  local entry=
  [ ${#files[@]} -gt 0 ] && entry=$(awk -v release="$release" '
    function consider(uri, suites, components, key,    n, i, s, ok) {
      if (components !~ /(^| )main( |$)/) return
      n = split(suites, s, " ")
      for (i = 1; i <= n; i++) ok = ok || s[i] == release || s[i] == "bookworm"
      if (ok && uri != "" && !found) { found = 1; print (key != "" ? "[signed-by=" key "] " : "") uri }
    }
    function stanza() {
      if (types ~ /(^| )deb(-src)?( |$)/ && tolower(enabled) != "no") {
        split(uris, u, " "); consider(u[1], suites, components, signedby)
      }
      types = uris = suites = components = signedby = enabled = ""
    }
    FILENAME ~ /\.sources$/ {
      if (FILENAME != last) { stanza(); last = FILENAME }
      if ($0 ~ /^[ \t]*$/) { stanza(); next }
      if ($0 ~ /^[ \t#]/) next   # comments, and the lines of an inline key
      field = tolower($1); sub(/:$/, "", field); $1 = ""; sub(/^ +/, "")
      if (field == "types") types = $0; else if (field == "uris") uris = $0
      else if (field == "suites") suites = $0; else if (field == "components") components = $0
      else if (field == "signed-by" && $0 ~ /^\//) signedby = $0
      else if (field == "enabled") enabled = $0
      next
    }
    $1 == "deb" || $1 == "deb-src" {
      key = ""; i = 2
      if ($2 ~ /^\[/) {   # options: [arch=amd64 signed-by=/usr/share/keyrings/x.gpg]
        for (; i <= NF; i++) {
          o = $i; gsub(/[][]/, "", o)
          if (o ~ /^signed-by=/) { key = o; sub(/^signed-by=/, "", key) }
          if ($i ~ /\]$/) { i++; break }
        }
      }
      rest = ""; for (j = i + 2; j <= NF && $j !~ /^#/; j++) rest = rest " " $j
      consider($i, $(i + 1), rest, key)
    }
    END { stanza() }
  ' "${files[@]}")
  if [ -z "$entry" ]; then
    echo "error: no Debian archive is configured in this machine's apt sources (/etc/apt/sources.list or" \
      "/etc/apt/sources.list.d/*.sources, with the suite ${release:-bookworm} and the component main);" \
      "freeglut's Debian source package is fetched from there" >&2
    return 1
  fi
  echo "deb-src $entry bookworm main"
}

# The same freeglut as the Linux build, as Debian's source package. apt works in folders of its
# own here, with a source entry of its own made from the machine's, so the machine's package
# sources stay as they are; apt checks the download against the archive's signed index.
freeglut_version=3.4.0-1
if [ ! -f "$deps/include/GL/glut.h" ]; then
  apt_dir=$deps/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$apt_dir/src"
  debian_source_entry >"$apt_dir/sources.list"
  apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
  apt-get -qq "${apt_options[@]}" update
  (cd "$apt_dir/src" && apt-get -qq "${apt_options[@]}" source --download-only "freeglut=$freeglut_version")
  rm -rf "$deps/freeglut-src"
  # The files were checked against the signed index by apt; dpkg-source checks them against the
  # .dsc and warns only that it has no keys of the uploaders to check the .dsc itself.
  dpkg-source -x "$apt_dir/src/freeglut_$freeglut_version.dsc" "$deps/freeglut-src" >/dev/null 2>&1
  # A static library named glut with GL/glut.h, as CMake's FindGLUT looks for it.
  cmake -S "$deps/freeglut-src" -B "$deps/freeglut-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DFREEGLUT_BUILD_SHARED_LIBS=OFF \
    -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_REPLACE_GLUT=ON -DFREEGLUT_BUILD_DEMOS=OFF >/dev/null
  cmake --build "$deps/freeglut-build" -j2 >/dev/null
  cmake --install "$deps/freeglut-build" >/dev/null
fi

scripts/cross-googletest.sh "$deps" cmake -DCMAKE_TOOLCHAIN_FILE="$toolchain"

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_FIND_ROOT_PATH="$deps" -DCMAKE_PREFIX_PATH="$deps" -DBUILD_TESTING=ON \
  -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64 >/dev/null
cmake --build "$build" -j2

scripts/cpack.sh "$build" ZIP NSIS
