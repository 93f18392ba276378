# The REPLAYS screen (R on the title menu): the newest replay first, each
# with its winner in his colour; a replay watched with pauses, steps, speed
# changes and a long rewind ends exactly as its match did, whatever the
# team colours; Delete removes one after a question. A match's replay is on
# disk as soon as it is decided: a window closed on its end screen keeps it.
. "$SRC/tests/scenarios/shell_common.bash"

# A multiplayer match of three won by player 1 after some four seconds of
# play, then a second one left with Esc; Esc on the title quits.
prefs 3 0 1 1 0 1
run "$skiplogo
3 press DOWN
5 press ENTER
7 press DOWN
9 press RIGHT
11 press UP
13 press ENTER
20 down RIGHT
20 down A
150 up RIGHT
150 down UP
260 up UP
260 up A
260 down 49
260 down 52
262 up 49
262 up 52
300 press ENTER
330 down ESC
333 up ESC
360 press ESC" --max-frames 400
expect_status 0
live=$(grep '^match end' trace.txt | head -1)
[ "$(echo "$live" | awk '{ print $4 }')" = 1 ] || fail "not won: $live"
cmp -s prefs.txt <(printf '3\r\n0\r\n1\r\n1\r\n0\r\n1\r\n') || fail "prefs.txt changed"

# Watched in the colour-blind safe colours: paused at once and stepped,
# 4x, rewound for some 35 frames back to the start, then 1x to the end.
prefs 3 0 1 1 0 1 1
run "$skiplogo
5 press R
8 press DOWN
10 press ENTER
12 press P
14 press LEFT
16 press RIGHT
18 press RIGHT
20 press P
22 press UP
24 press UP
90 down LEFT
125 up LEFT
127 press DOWN
129 press DOWN
500 press 46
502 press N
504 press 46
506 press Y
510 press ESC
520 press ESC" --max-frames 600
expect_status 0
frame 7 | grep -qE '^label [0-9.]+ 170 .* LEFT$' || fail "the newest is not listed first"
frame 7 | grep -qE '^label [0-9.]+ 210 .* 220 0 30 1 0 3 P1 WON$' || fail "no winner in his colour"
[ "$(grep '^match end' trace.txt)" = "$live" ] || fail "watched: $(grep '^match end' trace.txt), played: $live"
grep -q ' PAUSE$' trace.txt && grep -q ' 4X$' trace.txt || fail "pause or speed not shown"
# The bar's filled part: far along before the rewind, near the start after.
filled() { frame "$1" | awk '$1 == "rect" { w = $4 } END { print int(w) }'; }
[ "$(filled 89)" -gt 600 ] && [ "$(filled 126)" -lt 100 ] ||
  fail "bar at $(filled 89) then $(filled 126) after the rewind"
[ -e replays/replay-000002.pvr ] && [ ! -e replays/replay-000001.pvr ] ||
  fail "not the one deleted: $(ls replays)"

# Won, and the window closed on the tally: the replay is there and plays.
rm -rf replays
prefs 3 0 1 1 0 1
run "$skiplogo
3 press DOWN
5 press ENTER
7 press ENTER
30 down 49
30 down 52
32 up 49
32 up 52
60 close"
expect_status 0
[ -e replays/replay-000001.pvr ] || fail "no replay after a close on the end screen"
set +e
"$PARVANE" --headless --fake-clock --replay replays/replay-000001.pvr --trace replay.txt 2> stderr.txt
status=$?
set -e
expect_status 0
echo ok
