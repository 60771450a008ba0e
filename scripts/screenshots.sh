#!/usr/bin/env bash
# Pictures of every window for a look at the layout: the program opens the
# sample pattern on a private X server under openbox, and each of its four
# windows (designer, tessellator, 3D, sphere wrap) is shot maximised and at
# its smallest size, each time also with a menu open.
#   scripts/screenshots.sh [--appstream] OUTPUT_FOLDER [BUILD_FOLDER]
# Writes OUTPUT_FOLDER/<window>-<maximised|smallest>[-menu].png.
# With --appstream it writes instead the software-centre pictures that
# data/screenshots holds: designer, tessellator, solid (the
# rhombicuboctahedron) and sphere .png, each window alone at its opening size,
# with smooth edges, on the octagons-and-squares pattern.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
appstream=""
if [ "${1:-}" = --appstream ]; then
  appstream=1
  shift
fi
if [ $# -lt 1 ]; then
  echo "usage: $0 [--appstream] OUTPUT_FOLDER [BUILD_FOLDER]" >&2
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
  WHIRLIGONS_SHOTS_INSIDE=1 exec "$root/tests/desktop/run-under-openbox.sh" \
    "$0" ${appstream:+--appstream} "$out" "$build"
fi

if [ -n "$appstream" ]; then
  # A fresh home (the servers' scratch one): smooth edges, nothing to restore.
  mkdir -p "$XDG_CONFIG_HOME/Whirligons"
  printf '[%%General]\nSmoothEdges=True\n' >"$XDG_CONFIG_HOME/Whirligons/Whirligons.ini"
fi

pattern=sample
solid=(alt+p Return)  # the first Platonic solid
if [ -n "$appstream" ]; then
  pattern=octagons-and-squares
  solid=(alt+a Down Down Down Down Return)
fi
"$program" "$root/data/patterns/$pattern.wlg" >"$out/program.log" 2>&1 &
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

# Maximised and smallest, each plain and with the menu of the given key open;
# for the software centre, the window alone as it opened.
shots() {
  local id="$1" name="$2" menu="$3"
  if [ -n "$appstream" ]; then
    xdotool windowactivate --sync "$id"
    sleep 1
    import -window "$id" "$out/$4.png"
    echo "$out/$4.png"
    return 0
  fi
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
shots "$designer" designer alt+f designer
shots "$tessellator" tessellator alt+e tessellator

# The sphere wrap opens from the tessellator's top-level SphereWrap command.
xdotool windowactivate --sync "$tessellator" key --clearmodifiers alt+s
sphere="$(window '^SphereWrap$')"
if [ -n "$appstream" ]; then
  # The pattern starts at the sphere's rim: spun by the Rotate box (at its
  # place in the window) until it faces the viewer.
  xdotool windowactivate --sync "$sphere" mousemove --window "$sphere" 249 443 click 1
  sleep 1.5
  xdotool click 1
fi
shots "$sphere" spherewrap alt+f sphere

# A solid from the designer's solids menus; the program may first ask how to
# set up the 3D geometry: Yes.
xdotool windowactivate --sync "$designer" key --clearmodifiers "${solid[0]}"
sleep 0.3
xdotool key "${solid[@]:1}"
for _ in $(seq 100); do
  question="$(xdotool search --all --onlyvisible --pid "$pid" --name '^3D geometry setup$' 2>/dev/null | head -n1 || true)"
  if [ -n "$question" ]; then
    xdotool windowactivate --sync "$question" key y
    break
  fi
  if xdotool search --all --onlyvisible --pid "$pid" --name '^3D Whirligons$' >/dev/null 2>&1; then break; fi
  sleep 0.1
done
shots "$(window '^3D Whirligons$')" 3d alt+e solid
