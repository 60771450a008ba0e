#!/usr/bin/env bash
# Installs the built Debian package on this machine as a user would, with
# apt, and checks what the desktop then knows: the software centres' data
# finds the program, the manual pages open, bash completes the exporter's
# solid keys, .wlg files open in Whirligons, and the installed exporter works.
# The package is removed again at the end. Needs root or sudo: meant for CI
# and throwaway machines.
#   scripts/install-check.sh [build folder]   (default ./build, with the .deb made by package-check.sh)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
id=io.github.whirligons.Whirligons
fail() { echo "install-check: $*" >&2; exit 1; }

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || fail "needs root or sudo to install the package"
  SUDO="sudo"
fi
debs=("$build"/whirligons_*.deb)
deb="${debs[0]}"
[ -f "$deb" ] || fail "no package in $build (scripts/package-check.sh makes it)"

work="$(mktemp -d)"
# apt runs as _apt, which must be able to read the package.
chmod 755 "$work"
cp "$deb" "$work/"
cleanup() {
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq whirligons >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$work/$(basename "$deb")" >/dev/null \
  || fail "apt could not install $deb"

# A software centre reads the metainfo through AppStream's cache.
$SUDO appstreamcli refresh-cache --force >/dev/null 2>&1 || true
found="$(appstreamcli get "$id")" || fail "appstreamcli get $id finds nothing"
grep -q '^Summary: Design ornamental polygon patterns' <<<"$found" \
  || fail "appstreamcli get $id: $found"

# Man reads the installed, compressed pages from its own path.
page="$(MANWIDTH=80 man whirligons-export 2>&1)" || fail "man whirligons-export: $page"
grep -q -- '--solid' <<<"$page" || fail "man whirligons-export does not describe --solid"
man -w whirligons >/dev/null || fail "man whirligons finds no page"

# bash-completion loads the exporter's completion on first use.
completed="$(bash -c '
  source /usr/share/bash-completion/bash_completion
  _completion_loader whirligons-export
  fn="$(complete -p whirligons-export | sed -n "s/.*-F \([^ ]*\).*/\1/p")"
  [ -n "$fn" ] || exit 1
  COMP_WORDS=(whirligons-export --solid Ic)
  COMP_CWORD=2
  COMP_LINE="whirligons-export --solid Ic"
  COMP_POINT=${#COMP_LINE}
  "$fn" whirligons-export Ic --solid
  echo "${COMPREPLY[*]}"' 2>&1)" || fail "bash-completion does not load the whirligons-export completion"
[ "$completed" = "Icosa Icosi" ] || fail "completion after --solid Ic offers '$completed'"

# The installed desktop database and MIME database know the type.
grep -q "application/x-whirligons=.*$id.desktop" /usr/share/applications/mimeinfo.cache \
  || fail "the desktop database does not open .wlg files with $id.desktop"
grep -q ':application/x-whirligons:\*\.wlg$' /usr/share/mime/globs2 \
  || fail "the MIME database does not know *.wlg"

(cd "$work" && env -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR whirligons-export --tile 1 \
  /usr/share/whirligons/patterns/sample.wlg tile.png 2>"$work/err") \
  || fail "the installed exporter failed: $(cat "$work/err")"
[ ! -s "$work/err" ] || fail "the installed exporter printed: $(cat "$work/err")"
[ "$(identify -format %m "$work/tile.png")" = PNG ] || fail "the installed exporter wrote no PNG"

echo "install-check: $deb installs, and the desktop finds it"
