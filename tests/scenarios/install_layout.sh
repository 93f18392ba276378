#!/usr/bin/env bash
# An installed game finds its media through its prefix, also when the prefix
# is moved, and keeps its files in the user's folders rather than the one it
# was started in; without media it stops with status 1 and names every
# folder tried.
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$BUILD" --prefix "$work/usr" >/dev/null || fail "install"
for f in games/parvane share/games/parvane/font.ttf share/games/parvane/man.txt \
  share/applications/io.github.parvane.Parvane.desktop \
  share/metainfo/io.github.parvane.Parvane.metainfo.xml \
  share/icons/hicolor/48x48/apps/io.github.parvane.Parvane.png \
  share/icons/hicolor/256x256/apps/io.github.parvane.Parvane.png \
  share/man/man6/parvane.6.gz share/doc/parvane/copyright share/doc/parvane/changelog.gz; do
  [ -e "$work/usr/$f" ] || fail "missing $f"
done

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir -p "$work/play" "$XDG_CONFIG_HOME/parvane" && cd "$work/play"
printf '3\r\n0\r\n1\r\n1\r\n0\r\n1\r\n' > "$XDG_CONFIG_HOME/parvane/prefs.txt"
"$work/usr/games/parvane" --headless --fake-clock --max-frames 30 2>/dev/null || fail "installed run"
[ -z "$(ls -A)" ] || fail "the installed game wrote into its working folder: $(ls -A)"
[ -s "$XDG_DATA_HOME/parvane/scores.txt" ] || fail "no scores.txt in the data folder"

mv "$work/usr" "$work/moved"
"$work/moved/games/parvane" --headless --fake-clock --max-frames 30 2>/dev/null || fail "moved prefix"
[ -z "$(ls -A)" ] || fail "the moved game wrote into its working folder: $(ls -A)"

rm -rf "$work/moved/share/games/parvane"
"$work/moved/games/parvane" --headless --fake-clock --max-frames 30 2>"$work/err"
status=$?
[ $status -eq 1 ] || fail "status $status without media"
grep -q "moved/games/media" "$work/err" || fail "message lacks the folder beside the executable: $(cat "$work/err")"
grep -q "share/games/parvane" "$work/err" || fail "message lacks the installed folder: $(cat "$work/err")"
echo ok
