# One whole session of the real game in a window, as walkthrough.script
# plays it: first start, every menu and option, a levels run with a name
# entered, the scores, a custom series on each of the 15 arenas, a
# three-player series with a pause, and the window closed mid-match.
# Checks the exit status, every screenshot, the files left behind and,
# in the sanitizer build, that stderr holds no report. The screenshots kept
# in reference/ must come out the same again, up to what filtering moves.
# SHOTS=folder keeps the screenshots.
[ -n "${DISPLAY:-}" ] || exit 77
# A private working folder and fail().
source "${SRC:?source folder}/tests/scenarios/shell_common.bash"

# "+N ACTION" lines to "FRAME ACTION": the offsets add up.
awk '/^[[:space:]]*(#|$)/ { next }
  match($0, /^[[:space:]]*\+[0-9]+/) {
    step = substr($0, RSTART, RLENGTH)
    sub(/^[[:space:]]*\+/, "", step)
    frame += step
    print frame substr($0, RSTART + RLENGTH)
    next
  }
  { print "walkthrough.script: no +N offset: " $0 > "/dev/stderr"; exit 1 }' \
  "$SRC/tests/xvfb/walkthrough.script" > script.txt
last=$(tail -n 1 script.txt | cut -d' ' -f1)

rm -f prefs.txt scores.txt
set +e
# The frame limit only stops a script that lost its way.
"$PARVANE" --fake-clock --seed 1 --script script.txt --trace trace.txt \
  --max-frames $((last + 600)) > stdout.txt 2> stderr.txt
status=$?
set -e
[ -z "${SHOTS:-}" ] || { mkdir -p "$SHOTS"; cp ./*.png "$SHOTS/" 2>/dev/null || true; }
expect_status 0
if grep -qE "ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:" stderr.txt; then
  cat stderr.txt >&2
  fail "sanitizer report"
fi
! grep -q "frame limit" stderr.txt || fail "the script did not reach its close"

# For each screenshot: its file, the display size in force and the texts
# of the frame it shows (the frame before its flip line).
awk '$1 == "display" && $2 == "open" { w = $3; h = $4 }
  $1 == "flip" { shown = texts; texts = ""; next }
  $1 == "label" { t = $0; for (i = 0; i < 11; i++) sub(/^[^ ]+ /, "", t); texts = texts "|" t }
  $1 == "screenshot" { print $2, w, h, shown "|" }' trace.txt > shots.txt

png_size() {
  od -An -tu1 -j16 -N8 "$1" |
    awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'
}
count=0
while read -r file w h texts; do
  [ -s "$file" ] || fail "no screenshot $file"
  [ "$(png_size "$file")" = "$w $h" ] || fail "$file is $(png_size "$file"), the display $w $h"
  # A black frame compresses to almost nothing; every screen here draws.
  [ "$(stat -c %s "$file")" -gt 2000 ] || fail "$file looks empty"
  count=$((count + 1))
done < shots.txt
[ "$count" = "$(grep -c ' screenshot ' script.txt)" ] || fail "$count screenshots of $(grep -c ' screenshot ' script.txt)"

# shows FILE TEXT: the screenshot FILE was taken of a frame drawing TEXT.
shows() {
  grep -q "^$1 .*|$2|" shots.txt || fail "$1 does not show \"$2\": $(grep "^$1 " shots.txt)"
}
shows logo.png www.parvane-game.example
shows title.png PARVANE
shows options.png "SCREEN RESOLUTION= 800 x 600"
shows title-800.png PARVANE
shows options-800.png "FULL SCREEN= 0"
shows help.png CONTROLS
shows options-last.png "SCREEN RESOLUTION= 640 x 480"
shows singleplayer.png "PLAY CUSTOM"
shows levels.png "INITIAL LEVEL= 1"
shows counting.png "LEVEL 1 COMPLETED"
shows counting.png "TOTAL SCORE: "
shows gameover.png "WALKER 7"
shows scores.png "1 : WALKER 7"
shows custom.png "NUMBER OF PLAYERS= 4"
shows fireworks.png "1 - 0 - 0 - 0"
shows multiplayer.png "NUMBER OF PLAYERS= 3"
shows multiplayer-tally.png "0 - 1 - 0"
# The display was reopened in full screen at 800 x 600 and back.
grep -q "^title-800.png 800 600 " shots.txt || fail "no 800 x 600 display"
[ "$(grep -c '^display open' trace.txt)" = 4 ] || fail "the display was not opened 4 times"
grep -qx "display open 800 600 32" trace.txt || fail "no full-screen display"

# One custom series on each arena, each match won by player 1.
for k in $(seq 1 15); do
  grep -q " ARENA= $k\$" trace.txt || fail "arena $k never chosen"
done
[ "$(grep -c '^arena[0-9]*\.png ' shots.txt)" = 15 ] || fail "not 15 arena shots"
grep -q " smallstar.png\$" trace.txt || fail "no fireworks drawn"

# Nothing is drawn while paused: the frame shown stays, pixel for pixel.
cmp -s before-pause.png paused.png || fail "the picture changed during the pause"

# The run ended inside the last match, on the close.
[ "$(tail -n 1 trace.txt)" = "display close" ] || fail "the display was not closed last"

# The name typed on the game-over screen is first in the table, and the
# options hold their last values.
[ "$(head -n 1 scores.txt)" = $'WALKER 7\r' ] || fail "scores.txt starts with $(head -n 1 scores.txt)"
[ "$(wc -l < scores.txt)" = 120 ] || fail "scores.txt has $(wc -l < scores.txt) lines"
[ "$(cat prefs.txt)" = "$(printf '%s\r\n' 1 0 2 1 7 1)" ] ||
  fail "prefs.txt holds $(tr '\r\n' ' ' < prefs.txt)"
# Same pictures as the kept ones: nothing missing, moved or recoloured.
for ref in "$SRC"/tests/xvfb/reference/*.png; do
  "${BUILD:?build folder}/shot_diff" "$ref" "$(basename "$ref")" ||
    fail "$(basename "$ref") is not the picture kept in tests/xvfb/reference"
done

echo "walkthrough: $count screenshots, $last frames"
