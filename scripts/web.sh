#!/usr/bin/env bash
# Builds the web version into build-web/site: index.html, game.js,
# game.wasm and game.data (the media), and build-web/node/sim_frames.js
# (matches simulated under Node.js). Sourced or run from anywhere.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Debian's emcc runs tools that look for its JavaScript modules here.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
emcmake cmake -S "$root/web" -B "$root/build-web" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-web" -j"$(nproc)" --target game sim_frames
