#!/usr/bin/env bash
# Builds the Debian packages build-deb/parvane_VERSION_ARCH.deb and, beside
# it, parvane-meet_VERSION_ARCH.deb (the meeting server) with Debian's
# hardening flags and checks both with lintian (any error fails). Prints the
# game's package path last.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
parvane_install "${PARVANE_BUILD_PACKAGES[@]}" "${PARVANE_PACKAGE_PACKAGES[@]}"

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

dir=build-deb
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DPARVANE_TESTS=OFF -DPARVANE_BENCH=OFF -DPARVANE_TOOLS=OFF "${launcher[@]}" \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  >/dev/null
cmake --build "$dir" -j"$(nproc)" >&2
rm -f "$dir"/parvane_*.deb "$dir"/parvane-meet_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/parvane_*.deb)
# Errors fail the build; the warnings that remain are explained in the README.
lintian --fail-on error --tag-display-limit 0 "$deb" "$dir"/parvane-meet_*.deb >&2
echo "$deb"
