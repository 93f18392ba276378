# Title navigation: wrap-around both ways, the highlight kept when a screen
# returns, Esc quitting, and the layout at the three resolutions.
. "$SRC/tests/scenarios/shell_common.bash"

highlighted() {  # the highlighted title item drawn in frame $1
  frame "$1" | awk '$1 == "label" && !($6 == 100 && $7 == 100 && $8 == 100) {
    t = $12; for (i = 13; i <= NF; i++) t = t " " $i; if (t != "PARVANE") print t }'
}

prefs 3 0 1 1 5 1
run "$skiplogo
3 press UP
5 press DOWN
7 press DOWN
9 press UP
11 press UP
13 press UP
15 press ENTER
17 press ESC
20 press DOWN
22 press ESC"
expect_status 0
# Up and Down are read after a frame is drawn: a key stamped at flip F shows
# in the frame that flip F + 2 presents.
[ "$(highlighted 3)" = "SINGLE PLAYER" ] || fail "first frame: $(highlighted 3)"
[ "$(highlighted 5)" = "QUIT" ] || fail "Up from the first item: $(highlighted 5)"
[ "$(highlighted 7)" = "SINGLE PLAYER" ] || fail "Down from the last item: $(highlighted 7)"
[ "$(highlighted 9)" = "MULTIPLAYER" ] || fail "$(highlighted 9)"
[ "$(highlighted 15)" = "HELP" ] || fail "$(highlighted 15)"
grep -q ' CONTROLS$' trace.txt || fail "help screen not shown"
# Back from help, the title opens on HELP; Down goes to QUIT.
[ "$(highlighted 18)" = "HELP" ] || fail "reopened on: $(highlighted 18)"
[ "$(highlighted 22)" = "QUIT" ] || fail "$(highlighted 22)"
[ "$(grep -c '^flip' trace.txt)" = 22 ] || fail "Esc did not end the program at once"

for res in "1 640 337.5 0.375 31.25" "2 800 421.875 0.46875 39.0625" "3 1024 540 0.6 50"; do
  set -- $res
  prefs "$1" 0 1 1 5 1
  run "$skiplogo
3 press ESC"
  expect_status 0
  has_line "display open $2 $(( $2 * 3 / 4 )) 0"
  frame 3 | grep -qE "^label [0-9.]+ $3 $4 $4 100 100 100 1 0 3 QUIT\$" ||
    fail "QUIT at $2: $(frame 3 | grep QUIT)"
  frame 3 | grep -qE "^label [0-9.]+ $5 [0-9.]+ [0-9.]+ [0-9]+ [0-9]+ [0-9]+ 1 0 3 PARVANE\$" ||
    fail "title at $2: $(frame 3 | grep PARVANE)"
  # Centred: x = (W - width x scale) / 2, so the two halves add up to W.
  frame 3 | awk -v w="$2" '$1 == "label" && $NF == "QUIT" { x = $2 }
    END { if (x <= 0 || x >= w / 2) exit 1 }' || fail "QUIT not centred at $2"
done
echo ok
