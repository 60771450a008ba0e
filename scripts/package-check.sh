#!/usr/bin/env bash
# Makes the Debian package from a built tree and checks it: lintian finds no
# error or warning, the desktop entry and the software-centre entry validate,
# the manual pages format without warnings, the MIME package gives *.wlg its
# type, the package holds the programs, data, desktop files and the pictures
# the software-centre entry names, and the exporter runs from the unpacked
# files, finding its data beside it.
# Usage: scripts/package-check.sh [build folder]   (default ./build, as made by scripts/build.sh)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
fail() { echo "package-check: $*" >&2; exit 1; }

if [ ! -f "$build/CMakeCache.txt" ]; then
  "$root/scripts/install-deps.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build"

id=io.github.whirligons.Whirligons
desktop-file-validate "$root/data/desktop/$id.desktop"

rm -f "$build"/whirligons_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/whirligons_*.deb)
deb="${debs[0]}"
[ -f "$deb" ] || fail "cpack made no package"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
files=(
  usr/bin/whirligons usr/bin/whirligons-export
  usr/share/applications/$id.desktop
  usr/share/metainfo/$id.metainfo.xml
  usr/share/man/man1/whirligons.1.gz usr/share/man/man1/whirligons-export.1.gz
  usr/share/bash-completion/completions/whirligons-export
  usr/share/doc/whirligons/copyright usr/share/doc/whirligons/changelog.gz
  usr/share/mime/packages/whirligons.xml
  usr/share/icons/hicolor/scalable/apps/whirligons.svg
  usr/share/icons/hicolor/48x48/apps/whirligons.png
  usr/share/whirligons/html/PAbout.htm
  usr/share/whirligons/solids/CUBE.txt
  usr/share/whirligons/patterns/sample.wlg
)
for f in "${files[@]}"; do
  [ -e "$work/root/$f" ] || fail "$f is missing from $deb"
done
desktop-file-validate "$work/root/usr/share/applications/$id.desktop"

# Warnings count as failures, in the software-centre entry as in the package.
metainfo="$work/root/usr/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net --strict --explain "$metainfo" \
  || fail "the software-centre entry does not validate"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
  || fail "the software-centre entry does not launch $id.desktop"
version="$(dpkg-deb -f "$deb" Version)"
grep -q "<release version=\"$version\"" "$metainfo" \
  || fail "the software-centre entry has no release $version"
# Each screenshot is shipped, at the size the entry gives.
while read -r w h shot; do
  file="$work/root/usr/share/whirligons/screenshots/$shot"
  [ -s "$file" ] || fail "the screenshot $shot is not in the package"
  [ "$(identify -format '%w %h' "$file")" = "$w $h" ] \
    || fail "the screenshot $shot is not $w x $h as the entry says"
done < <(sed -n 's#.*width="\([0-9]*\)" height="\([0-9]*\)">https://[^<]*/\([a-z]*\.png\)</image>.*#\1 \2 \3#p' "$metainfo")
[ "$(grep -cE '<screenshot( |>)' "$metainfo")" -eq 4 ] || fail "the entry should show four screenshots"
for page in "$work"/root/usr/share/man/man1/*.1.gz; do
  warnings="$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$page" 2>&1 >/dev/null || true)"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
# Its notes (I:) are shown but do not fail; as root it says it would rather
# not be, which is no finding either.
status=0
lint="$(lintian --fail-on error,warning -I "$deb" 2>&1)" || status=$?
grep -v '^running with root privileges' <<<"$lint" || true
[ "$status" -eq 0 ] || fail "lintian finds errors or warnings in $deb"

[ "$(dpkg-deb -f "$deb" Package)" = whirligons ] || fail "the package is not called whirligons"
depends="$(dpkg-deb -f "$deb" Depends)"
for p in libqt6widgets6 libqt6gui6 libjpeg62-turbo libpng16-16 libtiff6 libemf1 libdxflib3 libpolyclipping22 libwebpmux3 libgif7 libavcodec59 libavformat59 libswscale6; do
  grep -qw "$p" <<<"$depends" || fail "the package does not depend on $p"
done

mkdir -p "$work/mime/packages"
cp "$work/root/usr/share/mime/packages/whirligons.xml" "$work/mime/packages/"
# (It warns that the folder is not one the desktop searches; the result is what counts.)
update-mime-database "$work/mime" 2>/dev/null
grep -q ':application/x-whirligons:\*\.wlg$' "$work/mime/globs2" \
  || fail "the MIME package does not give *.wlg its type"

unset WHIRLIGONS_DATA_DIR
QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/whirligons-export" --tile 1 \
  "$work/root/usr/share/whirligons/patterns/sample.wlg" "$work/tile.png"
[ -s "$work/tile.png" ] || fail "the packaged exporter wrote nothing"

echo "package-check: $deb is good"
