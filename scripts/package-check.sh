#!/usr/bin/env bash
# Makes the Debian package from a built tree and checks it: the desktop entry
# validates, the MIME package gives *.wlg its type, the package holds the
# programs, data and desktop files, and the exporter runs from the unpacked
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

desktop-file-validate "$root/data/desktop/whirligons.desktop"

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
  usr/share/applications/whirligons.desktop
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
desktop-file-validate "$work/root/usr/share/applications/whirligons.desktop"

[ "$(dpkg-deb -f "$deb" Package)" = whirligons ] || fail "the package is not called whirligons"
depends="$(dpkg-deb -f "$deb" Depends)"
for p in libqt6widgets6 libqt6gui6 libturbojpeg0 libpng16-16 libtiff6 libemf1 libdxflib3 libpolyclipping22; do
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
