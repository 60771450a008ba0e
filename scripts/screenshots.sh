#!/usr/bin/env bash
# Pictures of every window for a look at the layout: the program opens the
# sample pattern on a private X server under openbox, and each of its four
# windows (designer, tessellator, 3D, sphere wrap) is shot maximised and at
# its smallest size, each time also with a menu open.
#   scripts/screenshots.sh OUTPUT_FOLDER [BUILD_FOLDER]
# Writes OUTPUT_FOLDER/<window>-<maximised|smallest>[-menu].png.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ $# -lt 1 ]; then
  echo "usage: $0 OUTPUT_FOLDER [BUILD_FOLDER]" >&2
  exit 2
fi
mkdir -p "$1"
out="$(cd "$1" && pwd)"
build="$(cd "${2:-$root/build}" && pwd)"
program="$build/src/app/whirligons"

# First the servers (this script again, inside them), then the pictures.
if [ -z "${WHIRLIGONS_SHOTS_INSIDE:-}" ]; then
  if [ ! -x "$program" ]; then
    cmake --build "$build" --target whirligons
  fi
  WHIRLIGONS_SHOTS_INSIDE=1 exec "$root/tests/desktop/run-under-openbox.sh" "$0" "$out" "$build"
fi

"$program" "$root/data/patterns/sample.wlg" >"$out/program.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

# The first visible window of the program whose name matches, within 15 s.
window() {
  local id
  for _ in $(seq 150); do
    id="$(xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -n1 || true)"
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  echo "screenshots: no window named '$1'" >&2
  return 1
}

shoot() {
  sleep 0.7  # let the window manager and the program finish drawing
  import -window root "$out/$1.png"
  echo "$out/$1.png"
}

# Maximised and smallest, each plain and with the menu of the given key open.
shots() {
  local id="$1" name="$2" menu="$3"
  xdotool windowactivate --sync "$id"
  wmctrl -i -r "$id" -b add,maximized_vert,maximized_horz
  shoot "$name-maximised"
  xdotool key --clearmodifiers "$menu"
  shoot "$name-maximised-menu"
  xdotool key Escape
  wmctrl -i -r "$id" -b remove,maximized_vert,maximized_horz
  # The window manager keeps the window at its minimum size.
  xdotool windowsize "$id" 1 1
  shoot "$name-smallest"
  xdotool windowactivate --sync "$id"
  xdotool key --clearmodifiers "$menu"
  shoot "$name-smallest-menu"
  xdotool key Escape
}

designer="$(window 'Whirligons v1\.14$')"
tessellator="$(window '^Tessellator$')"
shots "$designer" designer alt+f
shots "$tessellator" tessellator alt+e

# The sphere wrap opens from the tessellator's top-level SphereWrap command.
xdotool windowactivate --sync "$tessellator" key --clearmodifiers alt+s
shots "$(window '^SphereWrap$')" spherewrap alt+f

# A solid from the designer's Platonic solids menu; the program may first ask
# how to set up the 3D geometry: Yes.
xdotool windowactivate --sync "$designer" key --clearmodifiers alt+p
sleep 0.3
xdotool key Return
for _ in $(seq 100); do
  question="$(xdotool search --all --onlyvisible --pid "$pid" --name '^3D geometry setup$' 2>/dev/null | head -n1 || true)"
  if [ -n "$question" ]; then
    xdotool windowactivate --sync "$question" key y
    break
  fi
  if xdotool search --all --onlyvisible --pid "$pid" --name '^3D Whirligons$' >/dev/null 2>&1; then break; fi
  sleep 0.1
done
shots "$(window '^3D Whirligons$')" 3d alt+e
