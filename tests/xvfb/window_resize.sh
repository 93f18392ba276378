# A window may be resized by the player: the game's frame is then scaled to
# fit, centred between black bars, and the game's own size does not change.
[ -n "${DISPLAY:-}" ] || exit 77
command -v xwininfo >/dev/null && command -v xprop >/dev/null || exit 77
source "${SRC:?source folder}/tests/scenarios/shell_common.bash"
pixels="$SRC/tests/xvfb/window_pixels.py"

prefs 1 0 1 1 0 1
printf '%s\n' '1 down SPACE' '3 up SPACE' > script.txt
"$PARVANE" --script script.txt --max-frames 100000 > stdout.txt 2> stderr.txt &
game=$!
trap 'kill $game 2>/dev/null; wait $game 2>/dev/null; rm -rf "$work"' EXIT

# This game's window, by its process: other tests may have windows of the
# same name open on the display.
find_window() {
  local w
  for w in $(xwininfo -root -tree 2>/dev/null | awk '/"Parvane"/ {print $1}'); do
    if xprop -id "$w" _NET_WM_PID 2>/dev/null | grep -q "= $game\$"; then
      echo "$w"
      return
    fi
  done
}
id=""
for _ in $(seq 100); do
  id=$(find_window)
  [ -n "$id" ] && break
  sleep 0.2
done
[ -n "$id" ] || fail "no window"
# A window that may not be resized tells the window manager its only size.
! xprop -id "$id" WM_NORMAL_HINTS | grep -q "maximum size" || fail "the window has a fixed size"

# until_columns EXPECTED: waits for the title to be drawn as expected.
until_columns() {  # "W H FIRST LAST"
  local got=""
  for _ in $(seq 100); do
    got=$(python3 "$pixels" "$id" columns)
    [ "$got" = "$1" ] && return 0
    sleep 0.2
  done
  fail "window reads '$got', expected '$1'"
}

# The title menu's grey columns in the 640 x 480 frame, once the logo (whose
# white credit line counts as grey) has given way to the menu for good, and
# the same three times over: a slow machine may show the logo for a while,
# and a drifting colour may pass through grey.
previous=""
same=0
sleep 1
for _ in $(seq 100); do
  sleep 0.5
  current=$(python3 "$pixels" "$id" columns)
  if [ "$current" = "$previous" ] && [ "${current##* }" != -1 ] &&
    [ "$(python3 "$pixels" "$id" white)" = 0 ]; then
    same=$((same + 1))
  else
    same=0
  fi
  [ "$same" -ge 2 ] && break
  previous=$current
done
read -r w h first last <<< "$current"
[ "$w $h" = "640 480" ] || fail "the window opened at $w x $h"
[ "$first" -gt 0 ] && [ "$last" -lt 639 ] || fail "the title is not drawn: $first $last"

python3 "$pixels" "$id" resize 1280 480  # wider: bars left and right
until_columns "1280 480 $((first + 320)) $((last + 320))"
python3 "$pixels" "$id" resize 640 960  # taller: bars above and below
until_columns "640 960 $first $last"
python3 "$pixels" "$id" resize 1280 960  # twice the size
until_columns "1280 960 $((2 * first)) $((2 * last + 1))"
! grep -q "OpenGL error" stderr.txt || fail "OpenGL errors: $(cat stderr.txt)"
echo ok
