# Every launch draws different random numbers (the title's colours show
# them); --seed still makes two launches alike.
. "$SRC/tests/scenarios/shell_common.bash"

prefs 3 0 1 1 5 1
# Each colour channel turns at random about once in a hundred frames: after
# 40 frames one launch in seven had turned none, after 300 next to none has.
printf '%s\n' "$skiplogo" "300 press ESC" > script.txt
launch() {  # trace-file [options]
  local out=$1
  shift
  "$PARVANE" --headless --fake-clock --script script.txt --trace "$out" --max-frames 400 "$@" \
    2>/dev/null || fail "launch $out"
}
launch a.txt
launch b.txt
launch c.txt
# Two launches may by chance agree; three in a row do not.
if cmp -s a.txt b.txt && cmp -s b.txt c.txt; then fail "three launches drew the same colours"; fi
launch s1.txt --seed 7
launch s2.txt --seed 7
cmp -s s1.txt s2.txt || fail "--seed 7 twice drew differently"
echo ok
