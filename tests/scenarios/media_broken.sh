# Broken media are named: a missing font by its file, a body file without a
# body by a message, said once per match, after which the title comes back.
. "$SRC/tests/scenarios/shell_common.bash"

mkdir bin
cp "$PARVANE" bin/parvane
cp -r "$BUILD/media" bin/media
PARVANE=$work/bin/parvane
prefs 3 0 1 1 5 1

mv bin/media/font.ttf font.ttf
run "$skiplogo"
expect_status 1
grep -qF "could not load font.ttf (searched $work/bin/media)" stderr.txt ||
  fail "the missing font is not named: $(cat stderr.txt)"
mv font.ttf bin/media/font.ttf

for body in "" "garbage\nNew Link\n1\n2\n" ; do
  printf "$body" > bin/media/man.txt
  run "$tolevels
60 press ESC
70 press ESC" --max-frames 200
  expect_status 0
  [ "$(grep -c '^notify' trace.txt)" = 1 ] || fail "messages for '$body': $(grep '^notify' trace.txt)"
  has_line "notify no body in media/man.txt"
done
echo ok
