# The end screens as a player sees them, in a window: a level won with the
# tester keys (score counting up, then counted), the next level lost with a
# name typed on the game-over screen, and a custom match lost to the
# computer with the tally, fireworks behind the arena and the high-quality
# trail. Screenshots land in $SHOTS when it is set.
[ -n "${DISPLAY:-}" ] || exit 77
set -euo pipefail
: "${PARVANE:?}" "${SRC:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# 1024 x 768 in a window, trail 2, fireworks on, music 5.
printf '%s\r\n' 3 0 2 1 5 1 > prefs.txt
cat > script.txt <<'END'
0 answer no
1 down ENTER
3 up ENTER
# title: SINGLE PLAYER; then PLAY LEVELS; then PLAY
10 press ENTER
20 press ENTER
30 press ENTER
# 1 and 4 held: player 1 completes level 1 at once
100 down 1
100 down 4
102 up 1
102 up 4
300 screenshot counting.png
380 screenshot completed.png
400 press ENTER
# level 2: 1 and 5 held make player 2 win
500 down 1
500 down 5
502 up 1
502 up 5
520 type Ann Lee
660 screenshot gameover.png
680 press ENTER
# title again: SINGLE PLAYER, PLAY CUSTOM, PLAY
700 press ENTER
710 press DOWN
720 press ENTER
730 press ENTER
1000 screenshot trail.png
1010 down 1
1010 down 5
1012 up 1
1012 up 5
1170 screenshot tally.png
1180 down ESC
1182 up ESC
1200 press ESC
END
"$PARVANE" --fake-clock --seed 1 --script script.txt --trace trace.txt --max-frames 1300 \
  2> stderr.txt || { cat stderr.txt; exit 1; }

label() { grep -q "^label .* $1\$" trace.txt || { echo "FAIL: no label $1" >&2; exit 1; }; }
label "LEVEL 1 COMPLETED"
label "TOTAL SCORE: "
label "ENTER YOUR NAME:"
label "ANN LEE"
label "0 - 1"
label "PRESS ENTER TO CONTINUE"
grep -q "smallstar.png" trace.txt || { echo "FAIL: no fireworks drawn" >&2; exit 1; }

check() { python3 "$SRC/tests/xvfb/shell_pngcheck.py" "$@"; }
# Every shot is a whole window; the full time bar of the winner runs across
# the top: red (row 0) for player 1, blue (row 1) for player 2.
check counting.png 1024 768 lit@px:0,2,1024,13,10000
check completed.png 1024 768 lit@px:0,2,1024,13,10000
check gameover.png 1024 768 lit@px:0,17,1024,28,10000
check trail.png 1024 768
check tally.png 1024 768 lit@px:0,17,1024,28,10000
if [ -n "${SHOTS:-}" ]; then
  mkdir -p "$SHOTS"
  cp counting.png completed.png gameover.png trail.png tally.png "$SHOTS/"
fi
echo ok
