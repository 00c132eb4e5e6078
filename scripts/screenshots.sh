#!/usr/bin/env bash
# Takes the pictures that the README and the operator's guide show again
# from the program as it is: builds with the tests (into build/, as
# scripts/test.sh does), runs the screen tests under xvfb-run and copies each
# picture into docs/images/, named for its window and its size in pixels
# (<window>-<width>x<height>.png). The pictures there before are removed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/jobs.sh"
build="${Z3080_BUILD_DIR:-$root/build}"
images="$root/docs/images"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DZ3080_BUILD_TESTS=ON -DZ3080_BUILD_BENCH=ON
rm -rf "$build/screenshots"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest -R '_xdisplay$' --parallel "$z3080_jobs" --output-on-failure)

# A PNG file's width and height, from its header.
png_size() {
  od -An -tu1 -j16 -N8 "$1" |
    awk '{ printf "%dx%d", (($1 * 256 + $2) * 256 + $3) * 256 + $4, (($5 * 256 + $6) * 256 + $7) * 256 + $8 }'
}

mkdir -p "$images"
rm -f "$images"/*.png
# The screen test's picture, and the window it shows.
while read -r shot window; do
  [ -n "$shot" ] || continue
  file="$build/screenshots/$shot"
  [ -f "$file" ] || { echo "The screen tests made no $shot" >&2; exit 1; }
  name="$window-$(png_size "$file").png"
  cp "$file" "$images/$name"
  echo "docs/images/$name"
done <<'LIST'
screen-main-rheology-1280x800.png main-window-rheology
main-window-3d.png main-window-3d
screen-open-test-1280x800.png open-test
screen-sequence-editor-1280x800.png sequence-editor
test-info-rheology.png test-info-rheology
rheology_window_run-1280x800.png rheology-window-run
pvt_window_run_1280.png pvt-window-run
swell_window_run_1280.png swell-window-run
container-4-units-tiled-vertically-1280x800.png container-4-units-tiled-vertically
calibration-torque.png calibration-torque
calibration-pvt.png calibration-pvt
calibration-lsm.png calibration-lsm
LIST
