# The web build against the desktop build: the simulation under Node.js
# gives the same checksums; then, in headless Chromium served from
# 127.0.0.1, the menus of the walk-through give the same trace and the same
# pictures of the title and of a match; a custom match runs to its end; a
# replay recorded on the desktop plays to the same end, frame for frame (the
# two builds' arithmetic gives the same bits; where it parts, the first line
# that differs is told).
#   bash tests/web/web_check.sh BUILD   BUILD: a desktop build folder
set -euo pipefail
src="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:?desktop build folder}" && pwd)"
command -v chromium >/dev/null || { echo "web: no chromium, skipped"; exit 77; }
"$src/scripts/web.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$src/build-web/site" "$work/site"
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

# desktop NAME SCRIPT-OR-OPTIONS...: the desktop game in a fresh folder.
desktop() {
  local name=$1
  shift
  mkdir -p "$name"
  (cd "$name" && "$build/parvane" --headless --fake-clock --seed 1 --trace trace.txt "$@" \
    > /dev/null 2>&1) || true
}
# page NAME QUERY: the page with a fresh profile; its trace in NAME/trace.txt.
page() {
  mkdir -p "$1/shots"
  python3 "$src/tests/web/page_run.py" site "$2" "$1/console.txt" --timeout 400 \
    --shots "$1/shots" || fail "$1: the page never logged TRACE-END: $(tail -n 3 "$1/console.txt")"
  sed -n 's/^TRACE //p' "$1/console.txt" > "$1/trace.txt"
}
# parted A B: where two traces first differ, with the frame.
parted() {
  local line
  line=$(cmp "$1" "$2" 2>/dev/null | sed -n 's/.* line \([0-9]*\).*/\1/p')
  [ -n "$line" ] || line=$(($(wc -l < "$1") + 1))
  echo "line $line, frame $(head -n "$line" "$1" | grep -c '^flip '): " \
    "desktop '$(sed -n "${line}p" "$1")', web '$(sed -n "${line}p" "$2")'"
}

# The simulation alone, under Node.js against the desktop: joints bent
# where a system arc tangent rounds otherwise, then 34 matches of 1500
# frames over every arena (some 51000 frames, seconds in either build).
"$build/sim_frames" 34 1500 100 | grep -v '^simulation:' > sim-desktop.txt
node "$src/build-web/node/sim_frames.js" 34 1500 100 | grep -v '^simulation:' > sim-web.txt
[ -s sim-web.txt ] || fail "the simulation under Node.js printed nothing"
cmp -s sim-desktop.txt sim-web.txt || fail "the simulation parts from the desktop's:" \
  "$(diff sim-desktop.txt sim-web.txt | sed -n '2p;4p' | tr '\n' ' ')"

# The menus: the walk-through's first 680 frames (every options change, the
# display reopened at other sizes, help, the single-player menus, the first
# level's opening), with the screenshots of the title and of the match.
awk '/^[[:space:]]*(#|$)/ { next }
  match($0, /^[[:space:]]*\+[0-9]+/) {
    step = substr($0, RSTART, RLENGTH); sub(/^[[:space:]]*\+/, "", step); frame += step
    if (/ screenshot / && !/ screenshot (title|match)\.png/) next
    if (frame < 680) print frame substr($0, RSTART + RLENGTH)
  }' "$src/tests/xvfb/walkthrough.script" > site/walk.txt
[ "$(grep -cE 'screenshot (title|match)\.png' site/walk.txt)" = 2 ] ||
  fail "the walk lacks the title or the match screenshot"
desktop menus-desktop --script ../site/walk.txt --max-frames 680
page menus-web "seed=1&fakeclock=1&script=walk.txt&maxframes=680"
cmp -s menus-desktop/trace.txt menus-web/trace.txt ||
  fail "the menu traces differ at $(parted menus-desktop/trace.txt menus-web/trace.txt)"
"$build/shot_diff" "$src/tests/xvfb/reference/title.png" menus-web/shots/title.png ||
  fail "the title in the browser is not the desktop's picture"
"$build/shot_diff" "$src/tests/xvfb/reference/match.png" menus-web/shots/match.png ||
  fail "the match in the browser is not the desktop's picture"

# Two custom matches of four, from the title to their ends and back: a
# quick one, then one of some 300 frames left with ESC.
cp "$src/tests/web/custom.script" site/custom.txt
desktop custom-desktop --script ../site/custom.txt --max-frames 600
page custom-web "seed=1&fakeclock=1&script=custom.txt&maxframes=600"
grep -q '^match end ' custom-web/trace.txt || fail "the custom match did not end in the browser"
[ "$(grep -c '^match end' custom-web/trace.txt)" = "$(grep -c '^match end' custom-desktop/trace.txt)" ] ||
  fail "the browser ended $(grep -c '^match end' custom-web/trace.txt) matches"
cmp -s custom-desktop/trace.txt custom-web/trace.txt ||
  fail "the custom match parts at $(parted custom-desktop/trace.txt custom-web/trace.txt)"

# The desktop's replay of the long match, played in both.
replay=$(ls custom-desktop/replays/*.pvr 2>/dev/null | tail -n 1)
[ -n "$replay" ] || fail "the desktop kept no replay"
cp "$replay" site/match.pvr
desktop replay-desktop --replay ../site/match.pvr --max-frames 600
page replay-web "fakeclock=1&seed=1&replay=match.pvr&maxframes=600"
want=$(grep '^match end' replay-desktop/trace.txt | head -n 1)
got=$(grep '^match end' replay-web/trace.txt | head -n 1)
[ -n "$want" ] || fail "the desktop's replay has no end"
[ -n "$got" ] || fail "the replay did not end in the browser"
[ "$want" = "$got" ] || fail "the replay ends '$got' in the browser, '$want' on the desktop;" \
  "it parts at $(parted replay-desktop/trace.txt replay-web/trace.txt)"
echo "web: the replay ends as on the desktop: $got"
echo "web: ok"
