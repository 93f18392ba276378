# Where the game used to go quiet or draw past its room: --help and
# --version answer, a key that cannot be bound is told on the controls
# screen, a wide high-score name shrinks short of its score, and the lobby
# counts one player in the singular.
. "$SRC/tests/scenarios/shell_common.bash"

"$PARVANE" --seed 3 --help > help.txt || fail "--help did not exit 0"
for option in headless script trace seed fake-clock max-frames replay synctest host \
  'join HOST:PORT' 'join CODE' meet netsim version; do
  grep -q -- "^ *--$option" help.txt || fail "--help does not tell --$option"
done
"$PARVANE" --version | grep -qx 'parvane [0-9.]*' || fail "--version does not print the version"

prefs 3 0 1 1 5 1
printf 'WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW\r\n700\r\nNOBODY\r\n0\r\n' > scores.txt
# F1 (112), then H for player 1's LEFT; then the scores.
run "$skiplogo
3 press DOWN
5 press DOWN
7 press ENTER
9 press UP
10 press UP
11 press ENTER
13 press ENTER
15 press 112
19 press H
21 press ESC
23 press ESC
25 press DOWN
27 press ENTER"
expect_status 0
frame 17 | grep -q ' THAT KEY CANNOT BE USED: TRY ANOTHER$' || fail "an unusable key was not told"
grep -qx '1 LEFT 72' <(tr -d '\r' < controls.txt) || fail "the next key was not bound: $(cat controls.txt)"
# Both entries on their line 130 and 160 (at 1024) apart; the wide name
# smaller than the usual 0.2 and moved down to keep the line's middle.
wide=$(frame 60 | awk '$1 == "label" && / 1 : W+$/ { print $3, $4 }')
usual=$(frame 60 | awk '$1 == "label" && / 2 : NOBODY$/ { print $3, $4 }')
[ "$usual" = "160 0.2" ] || fail "the usual name moved: $usual"
awk -v l="$wide" 'BEGIN { split(l, a, " "); exit !(a[2] < 0.15 && a[1] > 130) }' ||
  fail "the wide name did not shrink on its line: $wide"

run "" --host 34517 --max-frames 5
frame 4 | grep -q ' LEFT AND RIGHT: 1 PLAYER HERE$' || fail "no singular for one player"
echo ok
