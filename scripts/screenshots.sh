#!/usr/bin/env bash
# Makes the README's pictures from a real run of ZELMOR under a private Xvfb:
# a short lesson is clicked in with xdotool and both windows are captured.
# Needs: xvfb xdotool imagemagick (apt-get install -y xvfb xdotool imagemagick).
# Then zelmor-lab shows its lessons by its keys: the empty circle seen from
# below, the furthest-site diagram seen from above, and twelve points on one
# circle drawn exactly.
# Usage: bash scripts/screenshots.sh [OUT_DIR]   (default docs/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$root/docs}")"
mkdir -p "$out"
[ -x "$root/build/zelmor" ] && [ -x "$root/build/zelmor-lab" ] || bash "$root/scripts/build.sh"

work=$(mktemp -d /tmp/zelmor-shots.XXXXXX)
fifo="$work/display"
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb=$!
read -r -t 20 dnum <"$fifo"
export DISPLAY=":$dnum"
cd "$work"
# Waits for the program's "2D Points" window, then a little for its frames.
wait_for_windows() {
  for _ in $(seq 1 100); do
    xdotool search --name '^2D Points$' >/dev/null 2>&1 && break
    sleep 0.05
  done
  sleep 0.5
}
"$root/build/zelmor" >/dev/null 2>&1 &
app=$!
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT

wait_for_windows

# The 2D view's subwindow sits at (1, 1) of the screen; plane (px, py) is at
# pixel (270.5 + 90.17 px, 270.5 - 90.17 py) from its top-left corner.
click_plane() {
  local x y
  x=$(awk -v p="$1" 'BEGIN { printf "%d", 1 + 270.5 + p * 541 / 6 }')
  y=$(awk -v p="$2" 'BEGIN { printf "%d", 1 + 270.5 - p * 541 / 6 }')
  xdotool mousemove "$x" "$y" click --delay 0 3
  sleep 0.15
}
# A lesson's worth of points: a ring of five, two inside, a few outside.
for p in "-2.0 -1.5" "2.1 -1.2" "1.6 1.9" "-1.4 2.2" "-2.4 0.4" \
         "0.1 0.2" "-0.6 -0.4" "0.9 -0.5" "0.4 1.1" "-1.0 0.9" "2.5 0.6" "-0.2 -2.3"; do
  click_plane $p
done
# Select one point with the middle button so the highlight shows.
xdotool mousemove "$(awk 'BEGIN{printf "%d", 1+270.5+0.1*541/6}')" "$(awk 'BEGIN{printf "%d", 1+270.5-0.2*541/6}')" click --delay 0 2
sleep 0.3
# Turn the 3D view a little with a left drag (2 degrees per pixel).
xdotool mousemove 800 300 mousedown 1 sleep 0.1 mousemove 797 300 sleep 0.2 mouseup 1
sleep 0.6

import -window root -crop 541x616+0+0 "$out/zelmor-2d-points.png"
import -window root -crop 540x540+553+0 "$out/zelmor-3d-projection.png"
import -window root -crop 1093x616+0+0 "$out/zelmor-both-windows.png"
echo "wrote $out/zelmor-2d-points.png $out/zelmor-3d-projection.png $out/zelmor-both-windows.png"

# zelmor-lab, in a working directory of its own.
kill $app 2>/dev/null || true
wait $app 2>/dev/null || true
mkdir -p "$work/lab" && cd "$work/lab"
"$root/build/zelmor-lab" >/dev/null 2>&1 &
app=$!
wait_for_windows
# Keys go to the window under the pointer.
lab_key() {
  xdotool key --delay 0 "$@"
  sleep 0.4
}
xdotool mousemove 400 100
lab_key 9                                          # the README's twelve points
xdotool mousemove "$(awk 'BEGIN{printf "%d", 1+270.5+0.55*541/6}')" "$(awk 'BEGIN{printf "%d", 1+270.5-0.1*541/6}')"
lab_key c b                                        # empty circle, view from below
sleep 0.4
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-empty-circle.png"
lab_key c shift+f t                                # furthest-site, view from above
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-furthest-site.png"
lab_key shift+f 0 r f                              # twelve points on one circle, fitted
xdotool mousemove 30 30 click --delay 0 1          # a click on empty space: the hint again
sleep 0.4
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-one-circle.png"
echo "wrote $out/zelmor-lab-empty-circle.png $out/zelmor-lab-furthest-site.png $out/zelmor-lab-one-circle.png"

# The README's lesson in the lab, the steps that have pictures.  The lab's
# "2D Points" is 50 rows taller than ZELMOR's (the status band below the
# plane), and its panel 50 rows lower: New is at (428, 646) of the screen,
# the weight slider's knob (weight 1) at (106, 618).
lab_new() {
  xdotool mousemove 428 646 click --delay 0 1
  sleep 0.3
  xdotool mousemove 400 100
}
# Step 4: fitted (f), the weight slider dragged from 1 to 6.
lab_key r 9 f
xdotool mousemove 106 618 mousedown 1 sleep 0.1
for dx in 10 20 30 40 50; do xdotool mousemove $((106 + dx)) 618 sleep 0.1; done
xdotool mouseup 1
sleep 0.6
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-lesson-weight.png"
xdotool mousemove 156 618 mousedown 1 sleep 0.1
for dx in 10 20 30 40 50; do xdotool mousemove $((156 - dx)) 618 sleep 0.1; done
xdotool mouseup 1
# Step 5: New, then the corners of a square: drawn exactly with 4 points.
lab_new
for p in "-1.5 -1.5" "1.5 -1.5" "1.5 1.5" "-1.5 1.5"; do click_plane $p; done
xdotool mousemove 400 100
sleep 0.4
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-lesson-square.png"
# Step 6: three points in a row on the hull, seen from the side (v).
lab_key 3 v
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-lesson-side.png"
# Weights: the middle of the 5 x 5 grid weighted by 5 (Shift with =, five
# times) hides its 8 neighbours, named in the status line and ringed in 3D.
lab_key 4
xdotool mousemove "$(awk 'BEGIN{printf "%d", 1+270.5}')" "$(awk 'BEGIN{printf "%d", 1+270.5}')" click --delay 0 1
sleep 0.2
lab_key plus plus plus plus plus v
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-hidden-points.png"
echo "wrote $out/zelmor-lab-lesson-weight.png $out/zelmor-lab-lesson-square.png $out/zelmor-lab-lesson-side.png $out/zelmor-lab-hidden-points.png"

# Watching it grow: the README's twelve points inserted one at a time.  Ten
# steps on, point 6 goes in: the three triangles whose circle holds it lit,
# and in 3D the faces its lift sees.  One more: the fan, seen from the side
# as the cone from the lifted point.  Then the flips way, fitted: point 7's
# second flip and its tetrahedron.
lab_key r 9 g
lab_key Right Right Right Right Right Right Right Right Right Right
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-grow-hole.png"
lab_key v Right
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-grow-cone.png"
lab_key r i Home
lab_key Right Right Right Right Right Right Right Right Right Right Right Right Right Right Right
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-grow-flip.png"
echo "wrote $out/zelmor-lab-grow-hole.png $out/zelmor-lab-grow-cone.png $out/zelmor-lab-grow-flip.png"

# Why not any triangulation?  The README's twelve points: two circles held
# (c, then a click on a triangle), then the Delaunay edge 6-7 flipped (k with
# the pointer beside it) and the smallest angles (a); from the side (v) the
# lift of point 6 below the flipped triangle's plane.
plane_px() { awk -v p="$1" 'BEGIN { printf "%d", 1 + 270.5 + p * 541 / 6 }'; }
plane_py() { awk -v p="$1" 'BEGIN { printf "%d", 1 + 270.5 - p * 541 / 6 }'; }
lab_key g r 9 c
for p in "0.13 -0.23" "-0.17 0.73"; do
  xdotool mousemove "$(plane_px ${p% *})" "$(plane_py ${p#* })" click --delay 0 1
  sleep 0.3
done
lab_key c
xdotool mousemove "$(plane_px 0.15)" "$(plane_py -0.40)"
lab_key v a k
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-counter-example.png"
# Weights by hand: flipped back (k), the circles let go (C), the angles off
# (a); Shift and a drag from point 5 out to (0.1, 1.8) give it the weight
# whose circle reaches there (2.56), and its neighbour 8 is hidden.
lab_key k C a
xdotool mousemove "$(plane_px 0.1)" "$(plane_py 0.2)" keydown shift mousedown 1 sleep 0.1
for y in 0.4 0.6 0.8 1.0 1.2 1.4 1.6 1.8; do xdotool mousemove "$(plane_px 0.1)" "$(plane_py $y)" sleep 0.1; done
xdotool mouseup 1 keyup shift
sleep 0.6
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-weight-by-hand.png"
echo "wrote $out/zelmor-lab-counter-example.png $out/zelmor-lab-weight-by-hand.png"

# Weights and circles: the twelve points again, point 5 weighted about 2 by
# a Shift drag; the held circle of 5, 7, 10 (c and a click) is orthogonal to
# 5's weight circle; K and clicks on 6, 7, 11 pick a triangle whose circle 5
# has negative power to, seen from the side (v) with 5's lift below its plane.
lab_key r 9
xdotool mousemove "$(plane_px 0.1)" "$(plane_py 0.2)" keydown shift mousedown 1 sleep 0.1
for y in 0.4 0.6 0.8 1.0 1.2 1.4 1.6; do xdotool mousemove "$(plane_px 0.1)" "$(plane_py $y)" sleep 0.1; done
xdotool mouseup 1 keyup shift
sleep 0.4
lab_key c
xdotool mousemove "$(plane_px 1.17)" "$(plane_py 0.1)" click --delay 0 1
sleep 0.3
xdotool mousemove "$(plane_px 2.5)" "$(plane_py -2.7)"
lab_key c v K
for p in "-0.6 -0.4" "0.9 -0.5" "-0.2 -2.3"; do
  xdotool mousemove "$(plane_px ${p% *})" "$(plane_py ${p#* })" click --delay 0 1
  sleep 0.2
done
xdotool mousemove "$(plane_px 2.5)" "$(plane_py -2.7)"
sleep 0.4
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-weighted-circles.png"
lab_key K C
echo "wrote $out/zelmor-lab-weighted-circles.png"

# Zoom and snap: the cluster within 0.1 (5), zoomed about its middle (>
# seven times, 23x), the snap to 0.01 (p three times), one point added a
# little right of the cluster, the cross and coordinates under the pointer.
lab_key r 5
cx=$(plane_px 1.0); cy=$(plane_py 0.54)
xdotool mousemove "$cx" "$cy"
lab_key greater greater greater greater greater greater greater p p p
xdotool mousemove $((cx + 150)) $((cy + 40)) click --delay 0 3
sleep 0.3
xdotool mousemove $((cx - 140)) $((cy + 120))
sleep 0.4
import -window root -crop 1093x666+0+0 "$out/zelmor-lab-zoom-snap.png"
echo "wrote $out/zelmor-lab-zoom-snap.png"
