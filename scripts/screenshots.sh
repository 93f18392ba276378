#!/usr/bin/env bash
# Takes the README's screenshots of the menus that changed with controllers,
# replays and online play: the options with CONTROLS, the controls screen
# with two controllers (one moved on to player 4), the second HELP page and
# an online lobby. Needs a built game (build/parvane) and a display (an Xvfb
# will do: DISPLAY=:N LIBGL_ALWAYS_SOFTWARE=1). Writes docs/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
game=$src/build/parvane
scratch=$(mktemp -d "${TMPDIR:-/tmp}/parvane-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# The second HELP page names the replays folder: with the scratch folder as
# the home, it reads as a player's would (~/parvane/replays).
work=$scratch/parvane
mkdir "$work"
cd "$work"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

shoot() {  # name, script text, more options
  printf '3\r\n0\r\n1\r\n1\r\n5\r\n1\r\n' > prefs.txt
  printf '%s\n' "$2" > script.txt
  shift 2
  "$game" --fake-clock --seed 1 --script script.txt --max-frames 400 "$@" 2>/dev/null || true
}

# The menus' colours take a few seconds to come up from black: each screen
# is shown a while before it is taken.
shoot options "1 down SPACE
3 up SPACE
5 press DOWN
7 press DOWN
9 press ENTER
200 screenshot options.png
210 press ESC
215 press ESC"
shoot controls "1 pad 1 connect Gamepad
1 pad 2 connect Gamepad
1 down SPACE
3 up SPACE
5 press DOWN
7 press DOWN
9 press ENTER
11 press UP
12 press UP
13 press ENTER
15 press DOWN
17 press DOWN
19 press DOWN
21 press DOWN
23 press RIGHT
25 press ENTER
27 press ENTER
200 screenshot controls.png
210 press ESC
215 press ESC
220 press ESC"
HOME=$scratch shoot help "1 down SPACE
3 up SPACE
5 press UP
7 press UP
9 press ENTER
11 press RIGHT
200 screenshot help2.png
210 press ESC"
shoot lobby "200 screenshot lobby.png
210 press ESC" --host 34519
cp options.png controls.png help2.png lobby.png "$src/docs/"
echo "docs: options.png controls.png help2.png lobby.png"
