#!/usr/bin/env bash
# The web build's costs, measured on this machine (a benchmark: it prints
# figures and asserts none):
#   - the downloaded size, each file gzipped at -9, and in all;
#   - the time from navigation to the first frame in headless Chromium;
#   - a replayed match's frames in the browser against the desktop build
#     playing the same replay: ms per frame (the difference of a long and a
#     short run, so that loading cancels out) and their ratio.
#   bash bench/web.sh BUILD [FRAMES]   BUILD: a desktop build folder
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?desktop build folder}" && pwd)"
frames=${2:-300}
"$src/scripts/web.sh" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$src/build-web/site" "$work/site"
cd "$work"

total=0
for f in site/*; do
  n=$(gzip -9c "$f" | wc -c)
  total=$((total + n))
  printf 'size %-12s %9d bytes, %9d gzipped\n' "$(basename "$f")" "$(stat -c %s "$f")" "$n"
done
echo "size in all: $total bytes gzipped"

page() {  # QUERY: seconds to the first frame and to the end
  python3 "$src/tests/web/page_run.py" site "$1" console.txt --timeout 900 |
    awk '/first frame/ { f = $4 } /ran for/ { e = $3 } END { print f, e }'
}
read -r first _ < <(page "seed=1&fakeclock=1&maxframes=2")
echo "load: ${first} s from navigation to the first frame"

# A match of some 300 frames to replay (the last of the script).
cp "$src/tests/web/custom.script" site/custom.txt
mkdir rec && (cd rec && "$build/parvane" --headless --fake-clock --seed 1 \
  --script ../site/custom.txt --max-frames 600 >/dev/null 2>&1 || true)
cp "$(ls rec/replays/*.pvr | tail -n 1)" site/match.pvr
desktop() {  # FRAMES: seconds
  local t0 t1
  t0=$(date +%s.%N)
  "$build/parvane" --headless --fake-clock --seed 1 --replay site/match.pvr --max-frames "$1" \
    >/dev/null 2>&1 || true
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc -l
}
short=$((frames / 4))
read -r _ web_long < <(page "seed=1&fakeclock=1&replay=match.pvr&maxframes=$frames")
read -r _ web_short < <(page "seed=1&fakeclock=1&replay=match.pvr&maxframes=$short")
d_long=$(desktop "$frames")
d_short=$(desktop "$short")
echo "$web_long $web_short $d_long $d_short $frames $short" | awk '{
  w = ($1 - $2) * 1000 / ($5 - $6); d = ($3 - $4) * 1000 / ($5 - $6)
  printf "frame: %.3f ms in the browser, %.3f ms on the desktop (headless), ratio %.1f\n", w, d, w / d }'
