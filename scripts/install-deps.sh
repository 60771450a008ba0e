#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Whirligons.
# Idempotent: packages already present are skipped, so a second run is quick.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libturbojpeg0-dev libpng-dev libtiff-dev libemf-dev libdxflib-dev libpolyclipping-dev libtinygltf-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth imagemagick libjpeg-turbo-progs libtiff-tools pngcheck bash-completion man-db emf2svg assimp-utils view3dscene
  librsvg2-bin inkscape poppler-utils python3-ezdxf
  openbox xdotool wmctrl x11-utils
  desktop-file-utils shared-mime-info appstream lintian gzip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
