#!/usr/bin/env bash
# An installed game finds its media through its prefix, also when the prefix
# is moved; without media it stops with status 1 and names every folder tried.
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$BUILD" --prefix "$work/usr" >/dev/null || fail "install"
for f in bin/parvane share/parvane/font.ttf share/parvane/man.txt \
  share/applications/io.github.parvane.Parvane.desktop \
  share/metainfo/io.github.parvane.Parvane.metainfo.xml \
  share/icons/hicolor/48x48/apps/io.github.parvane.Parvane.png \
  share/icons/hicolor/256x256/apps/io.github.parvane.Parvane.png; do
  [ -e "$work/usr/$f" ] || fail "missing $f"
done

mkdir "$work/play" && cd "$work/play"
printf '3\r\n0\r\n1\r\n1\r\n0\r\n1\r\n' > prefs.txt
"$work/usr/bin/parvane" --headless --fake-clock --max-frames 30 2>/dev/null || fail "installed run"

mv "$work/usr" "$work/moved"
"$work/moved/bin/parvane" --headless --fake-clock --max-frames 30 2>/dev/null || fail "moved prefix"

rm -rf "$work/moved/share/parvane"
"$work/moved/bin/parvane" --headless --fake-clock --max-frames 30 2>"$work/err"
status=$?
[ $status -eq 1 ] || fail "status $status without media"
grep -q "moved/bin/media" "$work/err" || fail "message lacks the folder beside the executable: $(cat "$work/err")"
grep -q "share/parvane" "$work/err" || fail "message lacks the installed folder: $(cat "$work/err")"
echo ok
