# Saves that cannot be made are told once, naming the file and the reason,
# and the game goes on; special files where the saves belong never block.
. "$SRC/tests/scenarios/shell_common.bash"

notes() { grep -c '^notify ' trace.txt || true; }

# A folder named prefs.txt: the first-run question, then one message.
mkdir prefs.txt
run "0 answer no
$skiplogo
4 press ESC"
expect_status 0
has_line "notify could not save $work/prefs.txt: Is a directory"
[ "$(notes)" = 1 ] || fail "$(notes) messages for one failed save"
rmdir prefs.txt

# Pipes in place of both files: start-up goes on to the title and back out.
rm -f scores.txt
mkfifo prefs.txt scores.txt
run "0 answer no
$skiplogo
4 press ESC" --max-frames 200
expect_status 0
has_line "notify could not save $work/scores.txt: not a regular file"
has_line "notify could not save $work/prefs.txt: not a regular file"
grep -q '^display open' trace.txt || fail "no display after the pipes"
rm prefs.txt scores.txt

# controls.txt a link to /dev/zero, lastjoin.txt a pipe, prefs.txt one line
# of 20 MB: each told once, though the join screen reads lastjoin.txt twice,
# and nothing waits or fills the memory.
ln -s /dev/zero controls.txt
mkfifo lastjoin.txt
head -c 20000000 /dev/zero | tr '\0' 7 > prefs.txt
tojoin() { printf '%s\n' "$1 press ENTER" "$(($1 + 2)) press UP" "$(($1 + 4)) press ENTER" "$(($1 + 7)) press ESC"; }
run "$skiplogo
3 press DOWN
$(tojoin 5)
$(tojoin 15)
25 press ESC" --max-frames 200
expect_status 0
has_line "notify could not read $work/controls.txt: not a regular file"
has_line "notify could not read $work/lastjoin.txt: not a regular file"
has_line "notify could not read $work/prefs.txt: a line is too long (the file is damaged)"
[ "$(notes)" = 3 ] || fail "$(notes) messages for three unreadable files"
[ "$(frame 20 | grep -c 'HOST OR HOST:PORT$')" = 1 ] || fail "no second visit to the join screen"
rm controls.txt lastjoin.txt prefs.txt

# A scores.txt made read-only is read, kept, and its failed save told once
# when a name is typed at the end of a run.
find_gameover
cp scores.txt scores.before
chmod 444 scores.txt
enter_name ANNA
cmp -s scores.txt scores.before || fail "the read-only scores.txt changed"
has_line "notify could not save $work/scores.txt: Permission denied"
[ "$(notes)" = 1 ] || fail "$(notes) messages after the name"
echo ok
