# Scripted controllers in a real window are virtual joysticks attached to
# SDL's controller subsystem: every scenario must play exactly as it does
# headless (the same trace, byte for byte, and the same files), and the
# controls screen is saved as a picture.
[ -n "${DISPLAY:-}" ] || exit 77
. "${SRC:?source folder}/tests/scenarios/shell_common.bash"
. "$SRC/tests/scenarios/pads_common.bash"

# both SCRIPT FRAMES: plays the script headless, then in a window from the
# same files; the traces and the files afterwards must agree.
both() {
  mkdir -p before headless
  rm -f before/* headless/*
  # Each run starts with no replays, so both number their replay files alike.
  rm -rf replays
  cp prefs.txt controls.txt scores.txt before/ 2>/dev/null || true
  run "$1" --max-frames "$2"
  expect_status 0
  cp trace.txt prefs.txt controls.txt scores.txt headless/ 2>/dev/null || true
  rm -f prefs.txt controls.txt scores.txt
  rm -rf replays
  cp before/* . 2>/dev/null || true
  printf '%s\n' "$1" > script.txt
  set +e
  "$PARVANE" --fake-clock --seed 1 --script script.txt --trace trace.txt --max-frames "$2" \
    > /dev/null 2> stderr.txt
  status=$?
  set -e
  expect_status 0
  ! grep -q "OpenGL error" stderr.txt || fail "OpenGL errors"
  for f in trace.txt prefs.txt controls.txt scores.txt; do
    [ -e "headless/$f" ] || continue
    cmp -s "headless/$f" "$f" || { diff "headless/$f" "$f" | head -5 >&2; fail "$f differs from headless"; }
  done
}

# Plugged in, replaced by another device under the same number, unplugged.
both "1 pad 1 connect
2 pad 1 connect Other Pad
3 pad 1 disconnect" 5
[ "$(grep -c '^pad' trace.txt)" = 4 ] || fail "pad lines: $(grep '^pad' trace.txt)"

# The four-player match: pad 2 moved to player 4 on the controls screen,
# both pads steering, then pad 2 unplugged and a third pad plugged in.
prefs 3 0 1 1 5 1
both "$(sed '/^27 press ENTER$/a 28 screenshot controls.png' <<< "$fourplayers")
100 pad 1 axis leftx 1
100 pad 2 axis lefty -1
150 pad 2 disconnect
160 pad 1 press b
170 pad 3 connect
171 pad 3 axis leftx -1" 200
has_line "pad connect 2 Script Pad 2"
has_line "pad disconnect 2"
frame 28 | grep -q ' SCRIPT PAD 2$' || fail "the controls screen does not show pad 2"
frame 165 | grep -q ' PLAYER 4: CONTROLLER DISCONNECTED$' || fail "no pause for the unplugged pad"
frame 175 | grep -q 'CONTROLLER DISCONNECTED' && fail "still paused with a new pad"
# The controls screen: the four players' names lit in their colours, the
# grey keys and controllers in their columns, DEFAULTS, black margins.
[ -s controls.png ] || fail "no screenshot of the controls screen"
python3 "$SRC/tests/xvfb/shell_pngcheck.py" controls.png 1024 768 lit:290,160,930,195,3000 \
  grey:30,225,960,510,5000 grey:390,570,640,610,500 black:0,620,1024,768 black:0,0,1024,50 \
  black:960,0,1024,768 || fail "the controls screen does not look right"
# SHOTS=folder keeps the screenshot for a look.
if [ -n "${SHOTS:-}" ]; then mkdir -p "$SHOTS" && cp controls.png "$SHOTS/controls.png"; fi

# Enter on the keyboard ends the pause too.
both "$fourplayers
150 pad 2 disconnect
165 press ENTER" 180
frame 160 | grep -q 'CONTROLLER DISCONNECTED' || fail "no pause for the unplugged pad"
frame 170 | grep -q 'CONTROLLER DISCONNECTED' && fail "Enter did not end the pause"

# A name spelt with a pad alone (the game-over flip found headless).
printf '3\n0\n1\n1\n5\n36\n' > prefs.txt
run "$padlevels" --max-frames 400
g=$(first_flip_of "GAME OVER")
[ -n "$g" ] || fail "no game over after level 37"
printf '3\n0\n1\n1\n5\n36\n' > prefs.txt
rm -f scores.txt
both "$padlevels
$(spellname "$g")" $((g + 140))
grep -q '^B9' scores.txt || fail "B9 not in the score table"
echo "pads in a window: the same as headless"
