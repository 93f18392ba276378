# A close request ends the program from every screen with status 0 and
# leaves prefs.txt and scores.txt as they were.
. "$SRC/tests/scenarios/shell_common.bash"

printf 'ANNA\r\n700\r\nNOBODY\r\n0\r\n' > scores.txt
prefs 3 0 1 1 5 11
cp prefs.txt prefs.before
cp scores.txt scores.before

while IFS='|' read -r name marker script; do
  run "$(printf '%b' "$script")"
  expect_status 0
  grep -q -- "$marker" trace.txt || fail "$name: screen not reached ($marker)"
  tail -n 1 trace.txt | grep -qx 'display close' || fail "$name: did not end at once"
  cmp -s prefs.txt prefs.before || fail "$name: prefs.txt changed"
  cmp -s scores.txt scores.before || fail "$name: scores.txt changed"
done <<'CASES'
logo| logo.png$|1 close
title| PARVANE$|1 down SPACE\n3 up SPACE\n5 close
options| OPTIONS$|1 down SPACE\n3 up SPACE\n3 press DOWN\n5 press DOWN\n7 press ENTER\n9 press RIGHT\n10 close
scores| HIGH SCORES$|1 down SPACE\n3 up SPACE\n3 press DOWN\n5 press DOWN\n7 press DOWN\n9 press ENTER\n30 close
help| CONTROLS$|1 down SPACE\n3 up SPACE\n3 press UP\n5 press UP\n7 press ENTER\n10 close
single player| PLAY CUSTOM$|1 down SPACE\n3 up SPACE\n3 press ENTER\n6 close
levels| INITIAL LEVEL= 11$|1 down SPACE\n3 up SPACE\n3 press ENTER\n5 press ENTER\n8 close
custom| ARENA= 1$|1 down SPACE\n3 up SPACE\n3 press ENTER\n5 press DOWN\n7 press ENTER\n10 close
multiplayer| MULTIPLAYER$|1 down SPACE\n3 up SPACE\n3 press DOWN\n5 press ENTER\n8 close
match|^flip 60$|1 down SPACE\n3 up SPACE\n3 press DOWN\n5 press ENTER\n7 press ENTER\n60 close
CASES
echo ok
