#!/usr/bin/env bash
# Renders both viewers with a sample sketch in a private Xvfb and writes docs/gaugeplot2d.png,
# docs/gaugeplot3d.png and docs/gaugeplot3d.gif, an animation of gaugeplot3d in use: a vertex
# dragged while the band follows it, then the scene turned with Alt and a drag. Needs what
# scripts/setup.sh installs (xvfb, xdotool, imagemagick).
# The build directory is "build" unless BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 --target gaugeplot2d gaugeplot3d >/dev/null
mkdir -p docs

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb writes the display number it found free to descriptor 3 once it accepts connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 300); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "error: Xvfb could not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"

# The window's position on the screen, "x y", of the first visible window with this title.
window_id() { xdotool search --sync --onlyvisible --name "^$1\$" | head -n1; }
origin() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y"
}

# click WINDOW_X WINDOW_Y [BUTTON]: window pixels, relative to the origin in ox, oy.
click() { xdotool mousemove $((ox + $1)) $((oy + $2)) click "${3:-1}"; }

wait_menu() {  # wait_menu shown|gone
  for _ in $(seq 100); do
    if xdotool search --onlyvisible --name '^freeglut menu$' >/dev/null 2>&1; then
      [ "$1" = shown ] && return 0
    else
      [ "$1" = gone ] && return 0
    fi
    sleep 0.1
  done
  echo "error: the pop-up menu did not become $1" >&2
  exit 1
}

# menu N: opens the pop-up menu at window pixel (40, 40) and chooses entry N (1 at the top):
# freeglut's menu opens at the pointer, entries 25 pixels apart below a 2-pixel border.
menu() {
  click 40 40 3
  wait_menu shown
  click 50 $((40 + 2 + 12 + 25 * ($1 - 1)))
  wait_menu gone
}

polygon() {  # polygon X1 Y1 X2 Y2 ...: one left click per vertex
  while [ $# -ge 2 ]; do
    click "$1" "$2"
    sleep 0.1
    shift 2
  done
}

shoot() {  # shoot WINDOW FILE: once the picture has settled
  sleep 1
  import -silent -window "$1" "$2"
  echo "wrote $2"
}

# Frames of the animation, numbered in the order they are taken.
frames=0
frame() {  # frame WINDOW: once the viewer has drawn what the last event asked for
  sleep 0.15
  import -silent -window "$1" "$work/frame-$(printf %03d "$frames").png"
  frames=$((frames + 1))
}

# drag_frames WINDOW X1 Y1 X2 Y2 STEPS: a left drag in window pixels, one frame after each step;
# the caller holds any modifier around it.
drag_frames() {
  local id=$1 x1=$2 y1=$3 x2=$4 y2=$5 steps=$6 i
  xdotool mousemove $((ox + x1)) $((oy + y1)) mousedown 1
  frame "$id"
  for i in $(seq "$steps"); do
    xdotool mousemove $((ox + x1 + (x2 - x1) * i / steps)) $((oy + y1 + (y2 - y1) * i / steps))
    frame "$id"
  done
  xdotool mouseup 1
}

# The 2D viewer: three overlapping polygons around the window centre (320, 240); each one takes
# part in the band once "new polygon" (entry 1) is chosen after it.
"$build/gaugeplot2d/gaugeplot2d" >/dev/null &
pids+=($!)
id=$(window_id "Glut window")
read -r ox oy < <(origin "$id")
sleep 0.5
menu 1; polygon 180 170 470 150 500 300 330 360 160 320
menu 1; polygon 300 80 420 260 300 420 220 250
menu 1; polygon 120 240 250 130 560 210 260 330
menu 1
shoot "$id" docs/gaugeplot2d.png
xdotool mousemove $((ox + 320)) $((oy + 240)) key Escape

# The 3D viewer: three polygons around the window centre (320, 320), the plane's origin; the
# right press finishes each one.
"$build/gaugeplot3d/gaugeplot3d" >/dev/null &
pids+=($!)
id=$(window_id "Lumvar2D")
read -r ox oy < <(origin "$id")
sleep 0.5
menu 1; polygon 200 220 430 190 460 400 230 450; click 600 600 3; sleep 0.3
menu 1; polygon 320 120 440 330 320 520 190 330; click 600 600 3; sleep 0.3
menu 1; polygon 140 300 330 250 500 320 330 380; click 600 600 3; sleep 0.3
shoot "$id" docs/gaugeplot3d.png

# The animation: in "Change" (entry 2), the third polygon's right-hand vertex is dragged out and
# back in while the band follows; a right press returns to idle, and an Alt drag turns the scene.
menu 2
drag_frames "$id" 500 320 560 260 8
drag_frames "$id" 560 260 520 300 4
click 600 600 3
xdotool keydown Alt_L
drag_frames "$id" 320 320 365 335 14
xdotool keyup Alt_L
# About 300 x 300 pixels of the scene around the band, 64 colours: a few hundred KB at most. The
# last frame stays up for a second and a half before the loop starts again.
all=("$work"/frame-*.png)
convert -delay 12 "${all[@]:0:${#all[@]}-1}" -delay 150 "${all[-1]}" \
  -crop 480x480+80+80 +repage -resize 300x300 \
  -dither None -colors 64 -layers OptimizeTransparency -loop 0 docs/gaugeplot3d.gif
echo "wrote docs/gaugeplot3d.gif ($frames frames, $(du -k docs/gaugeplot3d.gif | cut -f1) KB)"
xdotool mousemove $((ox + 320)) $((oy + 320)) key Escape
