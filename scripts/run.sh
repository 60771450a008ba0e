#!/usr/bin/env bash
# Builds Whirligons and starts it with the sample pattern.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# Checked before building so a headless machine gets the hint at once rather
# than after a long build, and never sits waiting for a window nobody sees.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Whirligons is a desktop program and needs a graphical session." >&2
  echo "On a machine without one, try a virtual display:  xvfb-run -a ./scripts/run.sh" >&2
  exit 1
fi

"$root/scripts/build.sh"

exec "$root/build/src/app/whirligons" "$root/data/patterns/sample.wlg"
