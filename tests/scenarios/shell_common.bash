# Shared by the shell scenarios: a private working folder (prefs.txt and
# scores.txt live there), a scripted headless run and small checks.
set -euo pipefail
: "${PARVANE:?path of the game binary}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# run SCRIPT-TEXT [more options]: plays the script, sets $status.
run() {
  printf '%s\n' "$1" > script.txt
  shift
  set +e
  "$PARVANE" --headless --fake-clock --seed 1 --script script.txt --trace trace.txt \
    --max-frames 20000 "$@" 2> stderr.txt
  status=$?
  set -e
}

# The logo screen ends once Space is held; the title menu's first frame is
# then flip 3.
skiplogo='1 down SPACE
3 up SPACE'

# A prefs.txt with the given six values, the way the game writes it.
prefs() {
  printf '%s\r\n' "$@" > prefs.txt
}

expect_status() {
  [ "$status" = "$1" ] || { cat stderr.txt >&2; fail "exit status $status, expected $1"; }
}

has_line() {
  grep -qxF -- "$1" trace.txt || fail "no trace line: $1"
}

lacks_line() {
  ! grep -qxF -- "$1" trace.txt || fail "unexpected trace line: $1"
}

# Lines of the trace between flip N-1 and flip N: what frame N drew.
frame() {
  awk -v n="$1" '$1 == "flip" { f = $2; next } f == n - 1' trace.txt
}

# Key cycles of 100 frames from flip $1 while below flip $2: hold 1 and 4
# (held keys are forgotten whenever a screen clears the keyboard, so they
# are pressed anew each cycle), then Enter to leave the end screen.
wincycles() {
  local f
  for ((f = $1; f + 50 < $2; f += 100)); do
    printf '%s\n' "$f down 49" "$f down 52" "$((f + 50)) down ENTER" "$((f + 52)) up ENTER" \
      "$((f + 53)) up 49" "$((f + 53)) up 52"
  done
}

first_flip_of() {  # the flip that shows the first label holding $1
  awk -v t="$1" '$1 == "flip" { f = $2 } $1 == "label" && index($0, t) { print f + 1; exit }' trace.txt
}

# A levels run from level 36 won to the end with the shortcut. find_gameover
# plays it once and sets $gameover to the flip that first shows the
# game-over screen; enter_name NAME plays it again and types NAME there.
tolevels="$skiplogo
3 press ENTER
5 press ENTER
7 press ENTER"

find_gameover() {
  printf '3\n0\n1\n1\n5\n36\n' > prefs.txt
  run "$tolevels
$(wincycles 20 100000)" --max-frames 1500
  gameover=$(first_flip_of "GAME OVER")
  [ -n "$gameover" ] || fail "no game over after level 40"
}

enter_name() {
  printf '3\n0\n1\n1\n5\n36\n' > prefs.txt
  run "$tolevels
$(wincycles 20 "$gameover")
$((gameover + 10)) type $1
$((gameover + 130)) press ENTER" --max-frames $((gameover + 200))
  expect_status 0
}
