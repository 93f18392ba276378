# The real game in a window: screenshots of the mode menus, and of the
# scores screen after a levels run that entered a name, checked pixel by
# pixel.
[ -n "${DISPLAY:-}" ] || exit 77
. "$SRC/tests/scenarios/shell_common.bash"
check() { python3 "$SRC/tests/xvfb/shell_pngcheck.py" "$@"; }

# A levels run from 36, played headless, enters a name.
find_gameover
enter_name Zoe
[ "$(head -n 1 scores.txt | tr -d '\r')" = ZOE ] || fail "no name entered"

# Every menu in turn, each left with Esc; the menus with their own colours
# fade in from black, so their shots wait some 80 frames.
prefs 3 0 1 1 5 36
cat > script.txt <<END
$skiplogo
3 press ENTER
60 screenshot singleplayer.png
60 press ENTER
140 screenshot levels.png
140 press ESC
143 press ENTER
146 press DOWN
149 press ENTER
230 screenshot custom.png
230 press ESC
233 press DOWN
236 press ENTER
300 screenshot multiplayer.png
300 press ESC
303 press DOWN
306 press DOWN
309 press ENTER
430 screenshot scores.png
430 press ESC
433 press ESC
END
"$PARVANE" --fake-clock --seed 1 --script script.txt --max-frames 2000 2> stderr.txt || { cat stderr.txt; exit 1; }
# SHOTS=folder keeps the screenshots for a look.
[ -z "${SHOTS:-}" ] || { mkdir -p "$SHOTS"; cp ./*.png "$SHOTS/"; }

margins="black:0,0,1024,45 black:0,0,60,768 black:964,0,1024,768"
# Title "SINGLE PLAYER" over "PLAY LEVELS" (highlighted) and "PLAY CUSTOM" (grey).
check singleplayer.png 1024 768 $margins lit:170,60,850,135,3000 lit:250,310,780,370,3000 \
  grey:250,410,780,470,3000 black:0,480,1024,768
# "PLAY", the initial level and the grey note.
check levels.png 1024 768 $margins lit:170,60,850,135,3000 lit:380,250,650,320,2000 \
  grey:250,345,780,380,1500 grey:150,442,880,462,500 black:0,470,1024,768
# "PLAY" and seven settings, down to "ARENA= " at 590.
check custom.png 1024 768 $margins lit:170,60,850,135,3000 lit:380,200,650,270,2000 \
  grey:250,290,780,620,8000 black:0,630,1024,768
# Below "ARENA= " the two online items, down to 710.
check multiplayer.png 1024 768 $margins lit:170,60,850,135,3000 lit:380,230,650,300,2000 \
  grey:250,320,780,600,7000 grey:320,620,710,705,2500 black:0,712,1024,768
# Twenty lines from y = 130 to 700, the new entry first, its points at the right.
check scores.png 1024 768 black:0,0,1024,25 black:0,125,260,768 black:765,125,1024,768 \
  drawn:170,35,860,120,3000 lit:270,132,420,150,100 lit:600,132,754,150,100 \
  lit:270,702,420,720,100
echo ok
