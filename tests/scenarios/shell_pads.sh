# Game controllers through the harness: a four-player match where two pads
# steer players 1 and 4, the pause for an unplugged pad and the ways out of
# it (the computer standing in for a player who plays on without his pad), a high-score name spelt with a pad alone, and the multiplayer menu's
# player count with and without a fourth control.
. "$SRC/tests/scenarios/shell_common.bash"
. "$SRC/tests/scenarios/pads_common.bash"

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
320 pad 1 press b
340 pad 3 connect
341 pad 3 axis leftx 1" --max-frames 560
expect_status 0
has_line "pad disconnect 2"
has_line "pad connect 3 Script Pad 3"
paused 300 && fail "paused before the pad went"
paused 302 || fail "no pause for the unplugged pad"
paused 338 || fail "B ended the pause"
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

# --- ... or A on any pad: the computer then plays him, grey, until his pad
# is back; the replay and the rollback self-test agree with the live match.
greys() { frame "$1" | awk '$1 == "sprite" && $6 == 70 && $7 == 70 && $8 == 70' | wc -l; }
script="$fourplayers
300 pad 2 disconnect
330 pad 1 press a
430 pad 2 connect
480 press ESC"
run "$script" --max-frames 540
expect_status 0
frame 320 | grep -q ' PLUG IT IN AGAIN, OR PRESS ENTER TO PLAY ON$' || fail "the pause says not how to go on"
paused 333 && fail "A did not end the pause"
[ "$(greys 320)" = 0 ] || fail "grey before playing on"
[ "$(greys 400)" -gt 0 ] || fail "player 4 not drawn as the computer's"
[ "$(where 340 "$yellow" x) $(where 340 "$yellow" y)" != "$(where 420 "$yellow" x) $(where 420 "$yellow" y)" ] ||
  fail "the computer left player 4 standing"
[ "$(greys 450)" = 0 ] || fail "player 4 not his own again with a pad"
live=$(grep '^match end' trace.txt)
"$PARVANE" --headless --fake-clock --replay replays/replay-000001.pvr --trace again.txt 2> stderr.txt ||
  fail "the replay does not play: $(cat stderr.txt)"
[ "$(grep '^match end' again.txt)" = "$live" ] || fail "the replay ends otherwise than '$live'"
run "$script" --max-frames 540 --synctest 8
expect_status 0

# --- A name spelt with a pad alone ----------------------------------------------
printf '3\n0\n1\n1\n5\n36\n' > prefs.txt
run "$padlevels" --max-frames 400
gameover=$(first_flip_of "GAME OVER")
[ -n "$gameover" ] || fail "no game over after level 37"
printf '3\n0\n1\n1\n5\n36\n' > prefs.txt
g=$gameover
run "$padlevels
$(spellname "$g")" --max-frames $((g + 200))
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

# --- Plugged in twice: it left in between -----------------------------------
run "1 pad 1 connect
2 pad 1 connect Other Pad
3 pad 1 disconnect
3 pad 1 disconnect" --max-frames 5
expect_status 0
[ "$(grep '^pad' trace.txt | tr '\n' '/')" = \
  "pad connect 1 Script Pad 1/pad disconnect 1/pad connect 1 Other Pad/pad disconnect 1/" ] ||
  fail "pad lines: $(grep '^pad' trace.txt)"

# --- A bad pad line is a bad script ---------------------------------------
run "5 pad 9 connect"
expect_status 2
grep -q "line 1" stderr.txt || fail "the message does not name the line"
echo "pads: all scenarios passed"
