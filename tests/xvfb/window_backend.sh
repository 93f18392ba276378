# The game in a real window: a window and a full-screen display each save a
# screenshot of the game's frame size, the run ends cleanly on the frame
# limit and OpenGL reports no error.
[ -n "${DISPLAY:-}" ] || exit 77
# A private working folder and fail().
source "${SRC:?source folder}/tests/scenarios/shell_common.bash"

# png_size FILE: "W H" from the PNG header.
png_size() {
  local w h
  w=$(od -An -tu1 -j16 -N4 "$1" | awk '{print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4}')
  h=$(od -An -tu1 -j20 -N4 "$1" | awk '{print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4}')
  echo "$w $h"
}

# shot RESOLUTION FULLSCREEN W H: runs to the title menu and checks its picture.
shot() {
  rm -f title.png
  prefs "$1" "$2" 1 1 5 1
  printf '%s\n' '1 down SPACE' '3 up SPACE' '8 screenshot title.png' > script.txt
  set +e
  "$PARVANE" --script script.txt --max-frames 10 > stdout.txt 2> stderr.txt
  local status=$?
  set -e
  [ "$status" = 0 ] || { cat stderr.txt >&2; fail "exit status $status for $3x$4"; }
  ! grep -q "OpenGL error" stderr.txt || { cat stderr.txt >&2; fail "OpenGL errors at $3x$4"; }
  [ -s title.png ] || fail "no screenshot at $3x$4"
  [ "$(png_size title.png)" = "$3 $4" ] || fail "screenshot is $(png_size title.png), not $3 $4"
  # A black frame compresses to almost nothing; the title menu does not.
  [ "$(stat -c %s title.png)" -gt 2000 ] || fail "the screenshot at $3x$4 looks empty"
}

shot 1 0 640 480
shot 3 0 1024 768
shot 2 1 800 600  # full screen: the frame keeps its size, whatever the desktop's
echo "window backend: 3 displays checked"
