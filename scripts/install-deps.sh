#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Whirligons.
# Idempotent: packages already present are skipped, so a second run is quick.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libtiff-dev libemf-dev libdxflib-dev libpolyclipping-dev libtinygltf-dev nlohmann-json3-dev
  libwebp-dev libgif-dev libavcodec-dev libavformat-dev libavutil-dev libswscale-dev
  libcgal-dev lib3mf-dev libzip-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth imagemagick libjpeg-turbo-progs libtiff-tools pngcheck bash-completion man-db emf2svg assimp-utils view3dscene
  librsvg2-bin inkscape poppler-utils python3-ezdxf webp ffmpeg gifsicle
  prusa-slicer admesh
  openbox xdotool wmctrl x11-utils
  desktop-file-utils shared-mime-info appstream lintian gzip
  fonts-dejavu-core fonts-noto-core
)
# Node.js runs the glTF validator; a machine may have its own build of it.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Khronos glTF validator checks the 3D window's glTF files. It is a
# Node.js library, kept beside the sources in .node-tools (git ignores it).
validator=2.0.0-dev.3.10
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if ! grep -qs "\"version\": \"$validator\"" "$root/.node-tools/node_modules/gltf-validator/package.json"; then
  timeout 5m npm install --no-save --no-audit --no-fund --prefix "$root/.node-tools" \
    "gltf-validator@$validator"
fi
