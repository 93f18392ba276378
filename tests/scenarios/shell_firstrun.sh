# The first run asks about full screen and writes prefs.txt; Cancel ends
# the program before any display opens, writing nothing.
. "$SRC/tests/scenarios/shell_common.bash"

run "0 answer yes
$skiplogo
4 press ESC"
expect_status 0
has_line "proceed yes Play Fullscreen?"
has_line "display open 1024 768 32"
[ "$(od -An -c prefs.txt | tr -s ' ')" = "$(printf '3\r\n1\r\n1\r\n1\r\n5\r\n1\r\n' | od -An -c | tr -s ' ')" ] ||
  fail "prefs after yes: $(od -c prefs.txt)"

rm prefs.txt
run "0 answer no
$skiplogo
4 press ESC"
expect_status 0
has_line "display open 1024 768 0"
cmp -s prefs.txt <(printf '3\r\n0\r\n1\r\n1\r\n5\r\n1\r\n') || fail "prefs after no"

# Once the file exists the question is not asked again.
run "$skiplogo
4 press ESC"
! grep -q '^proceed' trace.txt || fail "asked again"

rm prefs.txt
run "0 answer cancel"
expect_status 0
[ ! -e prefs.txt ] || fail "cancel wrote prefs.txt"
! grep -q '^display open' trace.txt || fail "cancel opened a display"
has_line "proceed cancel Play Fullscreen?"

# A missing scores.txt is written from the defaults: 120 lines.
[ "$(wc -l < scores.txt)" = 120 ] || fail "scores.txt has $(wc -l < scores.txt) lines"
[ "$(head -c 10 scores.txt | od -An -c | tr -s ' ')" = "$(printf 'NOBODY\r\n0\r' | od -An -c | tr -s ' ')" ] ||
  fail "scores.txt starts with $(head -c 10 scores.txt | od -c)"
echo ok
