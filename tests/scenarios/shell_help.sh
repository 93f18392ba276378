# The help screen: its texts and their places at two resolutions, its second
# page, and keys shown as they are bound.
. "$SRC/tests/scenarios/shell_common.bash"

for res in "3 1024" "1 640"; do
  set -- $res
  w=$2
  prefs "$1" 0 1 1 5 1
  run "$skiplogo
3 press UP
5 press UP
7 press ENTER
9 press A
10 press ENTER
12 press LEFT
14 press RIGHT
17 press ESC"
  expect_status 0
  # Every line centred, keys at scale 0.3, the goal at 0.15 (times W / 1024).
  check() {  # y scale text
    local y scale
    y=$(awk -v v="$1" -v w="$w" 'BEGIN { printf "%.6g", v * w / 1024 }')
    scale=$(awk -v v="$2" -v w="$w" 'BEGIN { printf "%.6g", v * w / 1024 }')
    frame 9 | grep -qE "^label [0-9.]+ $y $scale $scale [0-9]+ [0-9]+ [0-9]+ 1 0 3 $3\$" ||
      fail "at $w: $3 not at y $y scale $scale"
  }
  check 50 0.7 CONTROLS
  check 190 0.3 "PLAYER 1: ARROW KEYS"
  check 240 0.3 "PLAYER 2: W,A,S,D"
  check 290 0.3 "PLAYER 3: I,J,K,L"
  check 340 0.3 "P: PAUSE"
  check 390 0.3 "ESC: PREVIOUS MENU / QUIT"
  check 530 0.15 "THE GOAL OF THE GAME IS TO KEEP THE BALL OF YOUR COLOR"
  check 570 0.15 "WHEN YOU TOUCH THE BALL IT BECOMES OF YOUR COLOR"
  check 610 0.15 "WHEN THE BALL IS YOUR COLOR, YOUR COLOR BAR ON THE TOP OF THE SCREEN INCREASES"
  check 650 0.15 "WHEN YOUR COLOR BAR REACHES THE END, YOU WIN"
  # A left nothing; Enter at flip 10 turns to the second page, Left back,
  # Right forward again, and Esc leaves for the title.
  frame 10 | grep -q ' CONTROLS$' || fail "A left the help screen"
  for f in 11 15; do
    frame $f | grep -q ' MORE HELP$' || fail "no second page at flip $f"
  done
  frame 11 | grep -qF " EVERY MATCH IS KEPT IN $work/replays" || fail "replays folder not told"
  frame 11 | grep -q ' OPENS UDP PORT 24680$' || fail "online play not told"
  frame 11 | grep -q ' R ON THE TITLE OPENS REPLAYS: ' || fail "the REPLAYS screen not told"
  frame 13 | grep -q ' PLAYER 3: I,J,K,L$' || fail "Left did not turn back"
  frame 18 | grep -q ' PARVANE$' || fail "Esc did not leave the second page"
done

# Rebound keys are shown as they are, and player 4 gets a line once it has keys.
prefs 3 0 1 1 5 1
printf '%s\r\n' "2 UP 84" "4 LEFT 100" "4 RIGHT 102" "4 UP 104" "4 DOWN 101" > controls.txt
run "$skiplogo
3 press UP
5 press UP
7 press ENTER"
frame 9 | grep -q ' PLAYER 2: T,A,S,D$' || fail "rebound key not shown"
frame 9 | grep -q ' PLAYER 4: KEYPAD 8,KEYPAD 4,KEYPAD 5,KEYPAD 6$' || fail "no line for player 4"
frame 9 | grep -qE '^label [0-9.]+ 390 .* P: PAUSE$' || fail "the pause line did not move down"
echo ok
