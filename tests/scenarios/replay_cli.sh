# Replays through the program: every match leaves a file that --replay plays
# to the same end; --synctest changes nothing shown and finds no difference
# over several arenas and two modes; bad files end with status 1 and a
# message naming the cause.
. "$SRC/tests/scenarios/shell_common.bash"
tool="$SRC/tests/scenarios/replay_cli.py"

# replays_match: every replay file plays back to the match end line its
# match wrote, headless and with another seed.
replays_match() {
  local n=0 f
  grep '^match end' trace.txt > played.txt
  for f in $(grep '^replay save' trace.txt | awk '{ print $3 }'); do
    n=$((n + 1))
    set +e
    "$PARVANE" --headless --fake-clock --seed 77 --replay "$f" --trace replay.txt 2> stderr.txt
    status=$?
    set -e
    expect_status 0
    [ "$(grep '^match end' replay.txt)" = "$(sed -n "${n}p" played.txt)" ] ||
      fail "$f: $(grep '^match end' replay.txt), played $(sed -n "${n}p" played.txt)"
  done
  [ "$n" = "$(wc -l < played.txt)" ] || fail "$n replays for $(wc -l < played.txt) matches"
  [ "$n" -gt 0 ] || fail "no replay written"
}

# A run with and without --synctest N shows the same, and finds no desync.
same_with_synctest() {
  cp trace.txt plain.txt
  rm -rf replays
  run "$1" --max-frames "$2" --synctest "$3"
  expect_status 0
  grep -q '^desync' trace.txt && fail "desync: $(grep '^desync' trace.txt)"
  cmp -s trace.txt plain.txt || fail "--synctest $3 changed the trace"
}

# Levels 1 to 4 (arenas 1, 9, 6 and 11) won with the shortcut keys, then Esc.
prefs 3 0 1 1 0 1
levels="$skiplogo
3 press ENTER
5 press ENTER
7 press ENTER
$(wincycles 20 420)
470 down ESC
473 up ESC
490 press ESC
500 press ESC"
run "$levels" --max-frames 600
expect_status 0
[ "$(grep -c '^match start levels' trace.txt)" = 5 ] || fail "$(grep '^match start' trace.txt)"
replays_match
same_with_synctest "$levels" 600 8

# A multiplayer match of three.
twowins() {
  printf '%s\n' "20 down RIGHT" "40 down UP" "60 up RIGHT" "70 down 49" "70 down 52" "80 up 49" \
    "80 up 52" "81 up UP" "100 down ENTER" "102 up ENTER" "130 down ESC" "133 up ESC" \
    "150 press ESC"
}
multi=$(sort -s -n -k1,1 <<EOT
$skiplogo
3 press DOWN
5 press ENTER
7 press DOWN
9 press RIGHT
11 press UP
13 press ENTER
20 down A
50 down I
90 up A
$(twowins | grep -v RIGHT | grep -v UP)
EOT
)
rm -rf replays
run "$multi" --max-frames 300
expect_status 0
grep -q '^match start multiplayer 0 3$' trace.txt || fail "no multiplayer match"
replays_match
same_with_synctest "$multi" 300 8

# A replay an earlier build recorded plays to the end it recorded. Its
# checksums are held against this build's while the match's snapshot format
# is the one its file format names: a change of the snapshot's layout
# without a new format fails here.
kept="$SRC/tests/fuzz/corpus/replayplay/multiplayer-three-recorded"
set +e
"$PARVANE" --headless --fake-clock --replay "$kept" --trace kept.txt 2> stderr.txt
status=$?
set -e
expect_status 0

# Bad files: each ends with status 1, a message naming the cause, and no
# match played.
refused() {  # FILE WORDS
  set +e
  "$PARVANE" --headless --fake-clock --replay "$1" --trace bad.txt 2> stderr.txt
  status=$?
  set -e
  expect_status 1
  grep -q "$2" stderr.txt || fail "$1: $(cat stderr.txt)"
}
good=$(grep '^replay save' trace.txt | head -1 | awk '{ print $3 }')
refused missing.pvr "cannot read the replay file missing.pvr"
printf 'hello\n' > text.pvr
refused text.pvr "text.pvr is not a playable replay: it is not a replay file"
cp "$good" cut.pvr
python3 "$tool" cut cut.pvr $(($(stat -c %s "$good") / 2))
refused cut.pvr "not a playable replay: it is damaged or cut short"
grep -q '^match' bad.txt && fail "a cut file played a match"
cp "$good" flipped.pvr
python3 "$tool" flip flipped.pvr 60
refused flipped.pvr "not a playable replay: it is damaged"
# A file from "another version" whose version would retitle, clear and
# colour the terminal: named with those codes made harmless.
cp "$good" codes.pvr
python3 "$tool" version codes.pvr $'\e]0;owned\a\e[2J\e[31m\r'
refused codes.pvr "codes.pvr is not a playable replay: .*(version ?]0;owned??\[2J?\[31m?)$"
grep -q $'[\x01-\x1f]' stderr.txt && fail "control characters reached the terminal"
# A file whose match ends differently from what it recorded plays, then
# says so.
cp "$good" other.pvr
python3 "$tool" endsum other.pvr
refused other.pvr "the replay other.pvr ended with checksum [0-9a-f]\{16\}, not [0-9a-f]\{16\} as recorded"
grep -q '^match end' bad.txt || fail "the match was not played"
echo ok
