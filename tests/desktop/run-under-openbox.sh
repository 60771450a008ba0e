#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) under a real window manager
# (openbox), with HOME and the XDG folders in a scratch folder, and removes
# both servers and the folder whatever the outcome.
#   run-under-openbox.sh PROGRAM [ARGS...]
# WHIRLIGONS_SCREEN sets the screen (default 1280x1024x24).
# The command's exit status is this script's.
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 PROGRAM [ARGS...]" >&2
  exit 2
fi
for tool in Xvfb openbox xprop xdotool wmctrl; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run-under-openbox: '$tool' is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
  fi
done

scratch="$(mktemp -d "${TMPDIR:-/tmp}/whirligons-desktop.XXXXXX")"
xvfb_pid=""
wm_pid=""
cleanup() {
  # Only the two servers this script started, by their ids.
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if [ -n "$wm_pid" ]; then wait "$wm_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export HOME="$scratch/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_STATE_HOME="$HOME/.local/state"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache"
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 "${WHIRLIGONS_SCREEN:-1280x1024x24}" -nolisten tcp -noreset \
  3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$scratch/display" ] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
if [ ! -s "$scratch/display" ]; then
  echo "run-under-openbox: Xvfb did not start:" >&2
  cat "$scratch/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$scratch/display")"

openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it has announced itself on the root window.
for _ in $(seq 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then break; fi
  sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  echo "run-under-openbox: openbox did not start:" >&2
  cat "$scratch/openbox.log" >&2
  exit 1
fi

# The suite runs its other window tests offscreen; these need the real server.
export QT_QPA_PLATFORM=xcb
status=0
"$@" || status=$?
exit "$status"
