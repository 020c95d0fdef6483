#!/usr/bin/env bash
# The Windows programs as built: for the GUI subsystem (no console window), with an icon group and
# version information among their resources, the version being the project's.
#   tests/windows/check_resources.sh VERSION PROGRAM.exe...
set -euo pipefail
version=$1
shift
for exe in "$@"; do
  # Read whole first: grep -q would end the pipe early, which pipefail counts as a failure.
  headers=$(x86_64-w64-mingw32-objdump -p "$exe")
  grep -q '^Subsystem.*(Windows GUI)$' <<<"$headers" ||
    { echo "error: $exe is not built for the Windows GUI subsystem" >&2; exit 1; }
  resources=$(wrestool -l "$exe")
  for kind in group_icon version; do
    grep -q "type=$kind " <<<"$resources" || { echo "error: $exe has no $kind resource" >&2; exit 1; }
  done
  for field in FileVersion ProductVersion; do
    given=$(wrestool -x --raw --type=version "$exe" | strings -el | grep -A1 -x "$field" | tail -1)
    [ "$given" = "$version" ] || { echo "error: $exe has $field '$given', the project $version" >&2; exit 1; }
  done
done
echo "both programs: GUI subsystem, icon and version $version"
