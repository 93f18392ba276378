# Sourced by ./play and ./check: installs the Debian packages the game and
# its tests need, when any is missing.
# shellcheck shell=bash

parvane_install() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local cmd=(apt-get install -y --no-install-recommends "${missing[@]}")
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get update -qq && DEBIAN_FRONTEND=noninteractive "${cmd[@]}"
  elif command -v sudo >/dev/null 2>&1; then
    sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
      sudo env DEBIAN_FRONTEND=noninteractive "${cmd[@]}"
  else
    echo "Missing packages. Please run as root:" >&2
    echo "  apt-get update && ${cmd[*]}" >&2
    exit 1
  fi
}

# libstb-dev decodes the media; libpng, zlib, ogg and vorbis are for the media
# generator (tools/), which writes PNG and encodes Vorbis.
PARVANE_BUILD_PACKAGES=(g++ cmake make pkg-config libsdl2-dev libepoxy-dev libstb-dev
  libpng-dev zlib1g-dev libogg-dev libvorbis-dev libenet-dev libx11-dev)
PARVANE_TEST_PACKAGES=(libgtest-dev libbenchmark-dev xvfb xauth libgl1-mesa-dri python3
  desktop-file-utils appstream x11-utils)
# The web build (scripts/web.sh) and its check in a headless browser.
PARVANE_WEB_PACKAGES=(emscripten libstb-dev chromium python3)
# Building and checking the Debian package.
PARVANE_PACKAGE_PACKAGES=(dpkg-dev lintian file gzip)
