# The options menu saves prefs.txt on leaving and reopens the display only
# when the resolution or the full-screen flag really changed.
. "$SRC/tests/scenarios/shell_common.bash"

# Title: Down, Down, Enter opens the options (their first frame is flip 8).
tooptions="$skiplogo
3 press DOWN
5 press DOWN
7 press ENTER"

# Resolution down to 800 x 600, leave with Enter, quit from the title.
prefs 3 0 1 1 5 1
run "$tooptions
9 press DOWN
11 press LEFT
13 press ENTER
16 press ESC"
expect_status 0
cmp -s prefs.txt <(printf '2\r\n0\r\n1\r\n1\r\n5\r\n1\r\n') || fail "saved $(od -c prefs.txt)"
[ "$(grep -c '^display close' trace.txt)" = 2 ] || fail "closed $(grep -c '^display close' trace.txt) times"
has_line "display open 800 600 0"
[ "$(grep -c '^display open' trace.txt)" = 2 ] || fail "display opened more than twice"
frame 14 | grep -qE '^label [0-9.]+ 421.875 0.46875 0.46875 100 100 100 1 0 3 QUIT$' ||
  fail "title not redrawn at 800 x 600"
frame 14 | grep -qE '^label [0-9.]+ 257.812 0.46875 0.46875 [0-9]+ [0-9]+ [0-9]+ 1 0 3 OPTIONS$' ||
  fail "title does not reopen on OPTIONS"

# Trail, fireworks and volume: saved, the display stays; the resolution
# changed and changed back does not reopen it either.
prefs 1 0 1 1 5 6
run "$tooptions
9 press DOWN
11 press RIGHT
13 press LEFT
15 press DOWN
17 press RIGHT
19 press DOWN
21 press LEFT
23 press DOWN
25 press RIGHT
27 press RIGHT
29 press RIGHT
31 press RIGHT
33 press RIGHT
35 press RIGHT
37 press ESC
40 press ESC"
expect_status 0
cmp -s prefs.txt <(printf '1\r\n0\r\n2\r\n0\r\n10\r\n6\r\n') || fail "saved $(od -c prefs.txt)"
[ "$(grep -c '^display close' trace.txt)" = 1 ] || fail "the display was reopened"
grep -q ' SCREEN RESOLUTION= 800 x 600$' trace.txt || fail "no 800 x 600 label"
grep -q ' TRAIL= HIGH QUALITY$' trace.txt || fail "no trail label"
grep -q ' MUSIC VOLUME= 10$' trace.txt || fail "no volume label"
! grep -q ' MUSIC VOLUME= 11$' trace.txt || fail "volume went past 10"

# Full screen on: the display reopens at the same size, full screen.
prefs 3 0 1 1 5 1
run "$tooptions
9 press RIGHT
11 press SPACE
14 press ESC"
expect_status 0
has_line "display open 1024 768 32"
cmp -s prefs.txt <(printf '3\r\n1\r\n1\r\n1\r\n5\r\n1\r\n') || fail "saved $(od -c prefs.txt)"
echo ok
