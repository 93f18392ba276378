# Game controllers through the harness: a four-player match where two pads
# steer players 1 and 4, the pause for an unplugged pad and both ways out of
# it, a high-score name spelt with a pad alone, and the multiplayer menu's
# player count with and without a fourth control.
. "$SRC/tests/scenarios/shell_common.bash"

# Two pads at start-up. On the controls screen the second pad moves on from
# player 2 to player 4 (Enter twice on its CONTROLLER cell); then a
# multiplayer match of four players, whose first frame is flip 46.
fourplayers='1 down SPACE
1 pad 1 connect
1 pad 2 connect
3 up SPACE
5 press DOWN
7 press DOWN
9 press ENTER
11 press UP
13 press ENTER
15 press DOWN
17 press DOWN
19 press DOWN
21 press DOWN
23 press RIGHT
25 press ENTER
27 press ENTER
29 press ESC
31 press ESC
33 press UP
35 press ENTER
37 press DOWN
39 press RIGHT
41 press RIGHT
43 press UP
45 press ENTER'

# shirt FLIP R G B: "X Y", the mean position of the shirt balls of that
# colour drawn by that frame.
shirt() {
  awk -v F="$1" -v R="$2" -v G="$3" -v B="$4" '
    $1 == "flip" { f = $2; next }
    f == F - 1 && $1 == "sprite" && $6 == R && $7 == G && $8 == B && $NF == "ball.png" {
      x += $2; y += $3; n++ }
    END { if (n) printf "%d %d\n", x / n, y / n; else print "none" }' trace.txt
}
red="200 0 0"
green="0 200 0"
yellow="200 200 0"

# where FLIP COLOUR AXIS: the colour's shirt along x or y, less player 3's
# (an idle keyboard player), so that the camera's moves cancel out.
where() {
  local a b
  a=$(shirt "$1" $2)
  b=$(shirt "$1" $green)
  [ "$a" != none ] && [ "$b" != none ] || fail "no shirt of $2 at flip $1"
  if [ "$3" = x ]; then echo $((${a% *} - ${b% *})); else echo $((${a#* } - ${b#* })); fi
}

# --- Two pads steer players 1 and 4 -------------------------------------
run "$fourplayers
200 pad 1 axis leftx 1
200 pad 2 axis lefty -1" --max-frames 460
expect_status 0
has_line "pad connect 1 Script Pad 1"
has_line "pad connect 2 Script Pad 2"
frame 44 | grep -q ' NUMBER OF PLAYERS= 4$' || fail "no fourth player offered"
[ "$(frame 100 | grep -c ' scia.png$')" = 4 ] || fail "not a four-player match"
redright=$(where 450 "$red" x)
yellowup=$(where 450 "$yellow" y)
run "$fourplayers
200 pad 1 axis leftx -1
200 pad 2 axis lefty 1" --max-frames 460
redleft=$(where 450 "$red" x)
yellowdown=$(where 450 "$yellow" y)
[ $((redright - redleft)) -gt 300 ] || fail "pad 1 hardly moved player 1: $redright vs $redleft"
[ $((yellowdown - yellowup)) -gt 200 ] || fail "pad 2 hardly moved player 4: $yellowup vs $yellowdown"

# --- Unplugged in the match: held until a pad comes back ----------------
message="PLAYER 4: CONTROLLER DISCONNECTED"
paused() { frame "$1" | grep -q " $message\$"; }
sprites() { frame "$1" | grep '^sprite'; }
run "$fourplayers
300 pad 2 disconnect
320 pad 1 press a
320 pad 1 press b
340 pad 3 connect
341 pad 3 axis leftx 1" --max-frames 560
expect_status 0
has_line "pad disconnect 2"
has_line "pad connect 3 Script Pad 3"
paused 300 && fail "paused before the pad went"
paused 302 || fail "no pause for the unplugged pad"
paused 338 || fail "a pad's buttons ended the pause"
paused 343 && fail "still paused after a pad came back"
[ "$(sprites 305)" = "$(sprites 335)" ] || fail "the match moved while paused"
# The new pad plays player 4: compare with it pushing the other way.
backright=$(where 550 "$yellow" x)
run "$fourplayers
300 pad 2 disconnect
340 pad 3 connect
341 pad 3 axis leftx -1" --max-frames 560
backleft=$(where 550 "$yellow" x)
[ $((backright - backleft)) -gt 200 ] || fail "the new pad does not steer player 4"

# --- ... or until Enter on the keyboard ------------------------------------
run "$fourplayers
300 pad 2 disconnect
330 press ENTER" --max-frames 400
expect_status 0
paused 320 || fail "no pause for the unplugged pad"
paused 333 && fail "Enter did not end the pause"
[ "$(sprites 340)" != "$(sprites 360)" ] || fail "the match did not go on"

# --- A name spelt with a pad alone ----------------------------------------------
# Pad A through the logo and the menus, the tester's shortcut to win levels
# 36 to 40 with pad A to go on, then the name: up, up (B), right, down, down
# (a space, then 9), A.
padwins() {
  local f
  for ((f = $1; f + 50 < $2; f += 100)); do
    printf '%s\n' "$f down 49" "$f down 52" "$((f + 50)) pad 1 down a" "$((f + 52)) pad 1 up a" \
      "$((f + 53)) up 49" "$((f + 53)) up 52"
  done
}
padlevels='1 pad 1 connect
1 pad 1 down a
3 pad 1 up a
3 pad 1 press a
5 pad 1 press a
7 pad 1 press a'
printf '3\n0\n1\n1\n5\n36\n' > prefs.txt
run "$padlevels
$(padwins 20 100000)" --max-frames 1500
gameover=$(first_flip_of "GAME OVER")
[ -n "$gameover" ] || fail "no game over after level 40"
printf '3\n0\n1\n1\n5\n36\n' > prefs.txt
g=$gameover
run "$padlevels
$(padwins 20 "$g")
$((g + 10)) pad 1 press dpup
$((g + 12)) pad 1 press dpup
$((g + 14)) pad 1 press dpright
$((g + 16)) pad 1 press dpdown
$((g + 18)) pad 1 press dpdown
$((g + 130)) pad 1 press a" --max-frames $((g + 200))
expect_status 0
frame $((g + 125)) | grep -q ' B9$' || fail "the name shown is not B9"
grep -q '^B9' scores.txt || fail "B9 not in the score table: $(head -4 scores.txt)"

# --- Two to three players, four only with a fourth control ---------------
tocount='1 down SPACE
1 pad 1 connect
1 pad 2 connect
1 pad 3 connect
3 up SPACE
5 press DOWN
7 press ENTER
9 press DOWN
11 press RIGHT
13 press RIGHT
15 press RIGHT
17 press RIGHT'
prefs 3 0 1 1 5 1
run "$tocount" --max-frames 20
frame 19 | grep -q ' NUMBER OF PLAYERS= 3$' || fail "the count went past 3 without a fourth control"
! grep -q 'NUMBER OF PLAYERS= 4' trace.txt || fail "4 offered without a fourth control"
printf '4 UP 70\r\n' > controls.txt
run "$tocount" --max-frames 20
frame 19 | grep -q ' NUMBER OF PLAYERS= 4$' || fail "keys for player 4 do not make a fourth control"

# --- A bad pad line is a bad script ---------------------------------------
run "5 pad 9 connect"
expect_status 2
grep -q "line 1" stderr.txt || fail "the message does not name the line"
echo "pads: all scenarios passed"
