#!/usr/bin/env bash
# The web build's costs on this machine beside the desktop build's (a
# benchmark: it prints figures and asserts none; ./check does not run it):
#   - the downloaded size: each file of the site gzipped at -9, and in all;
#   - load: from navigation to the first frame in headless Chromium, with a
#     fresh profile (nothing cached) each time;
#   - the heaviest frame: in the browser (WebGL through SwiftShader) against
#     the desktop's window (Mesa's llvmpipe, on $DISPLAY), both software;
#   - a match frame's simulation alone, drawing nothing: WebAssembly under
#     Node.js against native code, over the same seeded matches.
# Each figure is the median of RUNS runs, the runs listed after it.
#   bash bench/web.sh BUILD [RUNS]   BUILD: a desktop build folder
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?desktop build folder}" && pwd)"
runs=${2:-5}
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
"$src/scripts/web.sh" >/dev/null
cmake --build "$src/build-web" -j"$(nproc)" --target heaviest >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_heaviest_frame sim_frames >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# median: of the numbers on stdin, one a line, then the numbers themselves.
median() {
  sort -g | awk '{ v[NR] = $1; all = all " " $1 }
    END { if (NR == 0) { print "none"; exit }
          printf "%s  (%s )\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, all }'
}
page() {  # SITE QUERY: the page run, its console in console.txt
  python3 "$src/tests/web/page_run.py" "$1" "$2" console.txt --timeout 600
}

total=0
for f in "$src/build-web/site"/*; do
  n=$(gzip -9c "$f" | wc -c)
  total=$((total + n))
  printf 'size %-12s %9d bytes, %9d gzipped\n' "$(basename "$f")" "$(stat -c %s "$f")" "$n"
done
echo "size in all: $total bytes gzipped"

for _ in $(seq "$runs"); do
  page "$src/build-web/site" "seed=1&fakeclock=1&maxframes=2" | awk '/first frame/ { print $4 }'
done > load.txt
echo "load, navigation to the first frame: $(median < load.txt) s"

for _ in $(seq "$runs"); do
  page "$src/build-web/bench" "frames=300" > /dev/null
  awk '/^heaviest frame:/ { print $3 }' console.txt
done > web.txt
web=$(median < web.txt)
echo "heaviest frame, browser (SwiftShader): $web ms"
if [ -n "${DISPLAY:-}" ]; then
  LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy "$build/bench_heaviest_frame" \
    --benchmark_filter='window:1/batched:1' --benchmark_repetitions="$runs" 2>/dev/null |
    awk '/batched:1\/real_time / { print $2 }' > desktop.txt
  desktop=$(median < desktop.txt)
  echo "heaviest frame, desktop window (llvmpipe): $desktop ms"
  echo "${web%% *} ${desktop%% *}" |
    awk '{ printf "heaviest frame, browser / desktop: %.2f\n", $1 / $2 }'
else
  echo "heaviest frame, desktop window: no DISPLAY, not measured"
fi

# 17 matches, one on each arena, of 3000 frames: 51000 frames a run.
for _ in $(seq "$runs"); do
  "$build/sim_frames" 17 3000 3000 | awk '/^simulation:/ { print $2 }' >> native.txt
  node "$src/build-web/node/sim_frames.js" 17 3000 3000 | awk '/^simulation:/ { print $2 }' >> wasm.txt
done
native=$(median < native.txt)
wasm=$(median < wasm.txt)
echo "simulation of a match frame, native: $native us"
echo "simulation of a match frame, WebAssembly (Node.js): $wasm us"
echo "${wasm%% *} ${native%% *}" |
  awk '{ printf "simulation of a match frame, WebAssembly / native: %.2f\n", $1 / $2 }'
