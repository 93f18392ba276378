# Whole series through the menus: a levels run won with the 1+4 shortcut to
# the game-over screen and a typed name in scores.txt; the unlock of an
# initial level; custom and multiplayer series with their tallies; the music
# channel started with a series, stopped at its end, untouched at volume 0.
. "$SRC/tests/scenarios/shell_common.bash"

# Levels 36 to 40, first without a name, then with one typed on the
# game-over screen.
find_gameover
for level in 36 37 38 39 40; do
  grep -q " LEVEL $level COMPLETED\$" trace.txt || fail "level $level not won"
done
grep -q ' LEVEL 41' trace.txt && fail "a level after 40"
cmp -s scores.txt <(for i in 1 2 3; do for j in $(seq 20); do printf 'NOBODY\r\n0\r\n'; done; done) ||
  fail "a run without a name changed scores.txt"

rm scores.txt
enter_name "Zoe 9"
score=$(grep -m1 ' 3 SCORE: [0-9][0-9]*$' trace.txt | awk '{ print $NF }')
[ "$(sed -n 1p scores.txt | tr -d '\r')" = "ZOE 9" ] || fail "name: $(sed -n 1p scores.txt)"
[ "$(sed -n 2p scores.txt | tr -d '\r')" = "$score" ] || fail "score $(sed -n 2p scores.txt), shown $score"
[ "$(wc -l < scores.txt)" = 120 ] || fail "scores.txt has $(wc -l < scores.txt) lines"
# Winning level 40 unlocks nothing: prefs.txt was never rewritten.
cmp -s prefs.txt <(printf '3\n0\n1\n1\n5\n36\n') || fail "prefs.txt rewritten: $(od -c prefs.txt)"
# The music ran through the run and stopped at its end.
[ "$(grep -c '^sound prepare 1 tutto.ogg' trace.txt)" -ge 1 ] || fail "no music"
has_line "sound volume 1 0.5"
has_line "sound stop 1"

# Levels 1 to 5 from a run at 1 with 36 unlocked: winning level 5 sets the
# unlock to 6 (not raised to 36) and saves it at once; Esc in level 6 ends
# the run without a score entry.
prefs 3 0 1 1 5 36
cp scores.txt scores.before
menu="$skiplogo
3 press ENTER
5 press ENTER
7 press DOWN
9 press LEFT
11 press LEFT
13 press LEFT
15 press LEFT
17 press LEFT
19 press LEFT
21 press LEFT
23 press UP
25 press ENTER"
run "$menu
$(wincycles 40 100000)" --max-frames 700
five=$(first_flip_of "LEVEL 5 COMPLETED")
[ -n "$five" ] || fail "level 5 not won"
grep -q 'LEVEL 6' trace.txt || fail "level 6 not reached"
cmp -s prefs.txt <(printf '3\r\n0\r\n1\r\n1\r\n5\r\n6\r\n') || fail "unlock: $(od -c prefs.txt)"
prefs 3 0 1 1 5 36
run "$menu
$(wincycles 40 $((five + 60)))
$((five + 100)) down ESC
$((five + 103)) up ESC
$((five + 120)) press ESC" --max-frames $((five + 200))
expect_status 0
cmp -s prefs.txt <(printf '3\r\n0\r\n1\r\n1\r\n5\r\n6\r\n') || fail "unlock: $(od -c prefs.txt)"
cmp -s scores.txt scores.before || fail "a run left with Esc entered a score"
grep -q 'LEVEL 6 COMPLETED' trace.txt && fail "level 6 was won"
[ "$(grep -c '^flip' trace.txt)" -lt $((five + 200)) ] || fail "Esc did not end the run"

# Two wins, by player 1 (keys 1+4) and then by the player of keys 1+$1, then
# Esc, from flip 20 on.
twowins() {
  printf '%s\n' "20 down 49" "20 down 52" "80 up 49" "80 up 52" "100 down ENTER" "102 up ENTER" \
    "120 down 49" "120 down $1" "180 up 49" "180 up $1" "200 down ENTER" "202 up ENTER" \
    "230 down ESC" "233 up ESC" "250 press ESC"
}

# Custom series: player 1 wins, then player 2 (1+5), then Esc. The win
# table carries from match to match.
prefs 3 0 1 1 5 1
series="$skiplogo
3 press ENTER
5 press DOWN
7 press ENTER
9 press ENTER
$(twowins 53)"
run "$series" --max-frames 400
expect_status 0
grep -q ' 1 - 0$' trace.txt || fail "no tally 1 - 0"
grep -q ' 1 - 1$' trace.txt || fail "no tally 1 - 1"
[ "$(grep -c '^sound prepare 1' trace.txt)" = 1 ] || fail "music not started once"
tail -n 40 trace.txt | grep -q ' PARVANE$' || fail "not back on the title"
awk '/^sound stop 1$/ { s = NR } / 3 PARVANE$/ { p = NR } END { exit !(s && s < p) }' trace.txt ||
  fail "music not stopped before the title"

# At volume 0 the music channel is never touched.
prefs 3 0 1 1 0 1
run "$series" --max-frames 400
expect_status 0
! grep -qE '^sound (prepare|volume|resume|stop) 1( |$)' trace.txt || fail "channel 1 touched at volume 0"
has_line "sound volume 2 0"

# Multiplayer series, three players: 1 wins twice, then Esc.
prefs 3 0 1 1 5 1
run "$skiplogo
3 press DOWN
5 press ENTER
7 press DOWN
9 press RIGHT
11 press UP
13 press ENTER
$(twowins 52)" --max-frames 400
expect_status 0
grep -q ' NUMBER OF PLAYERS= 3$' trace.txt || fail "three players not chosen"
grep -q ' 2 - 0 - 0$' trace.txt || fail "no tally 2 - 0 - 0"
has_line "sound stop 1"
echo ok
