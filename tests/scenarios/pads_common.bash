# Scripts and trace readers shared by the controller scenarios, headless and
# in a window.

# Two pads at start-up. On the controls screen the second pad moves on from
# player 2 to player 4 (Enter twice on its CONTROLLER cell); then a
# multiplayer match of four players, whose first frame is flip 46.
fourplayers='1 down SPACE
1 pad 1 connect
1 pad 2 connect
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
29 press ESC
31 press ESC
33 press UP
35 press ENTER
37 press DOWN
39 press RIGHT
41 press RIGHT
43 press UP
45 press ENTER'

# shirt FLIP R G B: "X Y", the mean position of the shirt balls of that
# colour drawn by that frame.
shirt() {
  awk -v F="$1" -v R="$2" -v G="$3" -v B="$4" '
    $1 == "flip" { f = $2; next }
    f == F - 1 && $1 == "sprite" && $6 == R && $7 == G && $8 == B && $NF == "ball.png" {
      x += $2; y += $3; n++ }
    END { if (n) printf "%d %d\n", x / n, y / n; else print "none" }' trace.txt
}
red="200 0 0"
green="0 200 0"
yellow="200 200 0"

# where FLIP COLOUR AXIS: the colour's shirt along x or y, less player 3's
# (an idle keyboard player), so that the camera's moves cancel out.
where() {
  local a b
  a=$(shirt "$1" $2)
  b=$(shirt "$1" $green)
  [ "$a" != none ] && [ "$b" != none ] || fail "no shirt of $2 at flip $1"
  if [ "$3" = x ]; then echo $((${a% *} - ${b% *})); else echo $((${a#* } - ${b#* })); fi
}

# Pad A through the logo and the menus to level 36, won at once with the
# tester's shortcut 1 + 4 (pad A goes on), then level 37 lost at once with
# 1 + 5: the score enters the table and the name prompt shows.
padlevels='1 pad 1 connect
1 pad 1 down a
3 pad 1 up a
3 pad 1 press a
5 pad 1 press a
7 pad 1 press a
20 down 49
20 down 52
70 pad 1 down a
72 pad 1 up a
73 up 49
73 up 52
120 down 49
120 down 53
121 up 49
121 up 53'
# spellname GAMEOVER: from the game-over screen's flip, up, up (B), right,
# down, down (a space, then 9), then A.
spellname() {
  printf '%s\n' "$(($1 + 10)) pad 1 press dpup" "$(($1 + 12)) pad 1 press dpup" \
    "$(($1 + 14)) pad 1 press dpright" "$(($1 + 16)) pad 1 press dpdown" \
    "$(($1 + 18)) pad 1 press dpdown" "$(($1 + 130)) pad 1 press a"
}
