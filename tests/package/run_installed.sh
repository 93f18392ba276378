#!/usr/bin/env bash
# Unpacks the Debian package into a scratch folder (nothing is installed on
# the machine) and plays the unpacked game headless, as a new user would:
# it must find its media through its prefix, keep its files in the user's
# folders and leave the folder it was started in alone.
set -euo pipefail
deb=$(realpath "${1:?usage: run_installed.sh PACKAGE.deb}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

dpkg-deb -x "$deb" "$work/root"
for f in usr/games/parvane usr/share/games/parvane/font.ttf usr/share/games/parvane/man.txt \
  usr/share/applications/io.github.parvane.Parvane.desktop \
  usr/share/metainfo/io.github.parvane.Parvane.metainfo.xml \
  usr/share/icons/hicolor/256x256/apps/io.github.parvane.Parvane.png \
  usr/share/man/man6/parvane.6.gz usr/share/doc/parvane/copyright; do
  [ -e "$work/root/$f" ] || fail "the package lacks $f"
done
dpkg-deb -f "$deb" Depends | grep -q "libsdl2" || fail "no dependency on SDL: $(dpkg-deb -f "$deb" Depends)"
zcat "$work/root/usr/share/man/man6/parvane.6.gz" | grep -q "parvane/prefs.txt" ||
  fail "the manual page does not say where the options are kept"

mkdir "$work/home" "$work/start"
cd "$work/start"
# play SCRIPT-TEXT: the unpacked game with a clean environment, as a desktop
# launcher would start it, from an empty folder.
play() {
  printf '%s\n' "$1" > "$work/script.txt"
  env -i HOME="$work/home" PATH=/usr/bin:/bin SDL_AUDIODRIVER=dummy \
    "$work/root/usr/games/parvane" --headless --fake-clock --seed 1 --script "$work/script.txt" \
    --trace "$work/trace.txt" --max-frames 400 2> "$work/stderr.txt" ||
    fail "exit status $? $(cat "$work/stderr.txt")"
}

# First run: the question, the logo, then a few seconds of level 1.
play "0 answer no
1 down SPACE
3 up SPACE
3 press ENTER
5 press ENTER
7 press ENTER"
grep -qx "proceed no Play Fullscreen?" "$work/trace.txt" || fail "no first-run question"
grep -q "^sprite .* mainball+0.png$" "$work/trace.txt" || fail "no match was played"
! grep -q "^notify" "$work/trace.txt" || fail "$(grep "^notify" "$work/trace.txt")"
cmp -s "$work/home/.config/parvane/prefs.txt" <(printf '3\r\n0\r\n1\r\n1\r\n5\r\n1\r\n') ||
  fail "prefs.txt is not in the configuration folder"
[ "$(wc -l < "$work/home/.local/share/parvane/scores.txt")" = 120 ] ||
  fail "scores.txt is not in the data folder"
[ -z "$(ls -A "$work/start")" ] || fail "the game wrote into its working folder: $(ls -A)"

# Second run: the options are found again, so no question.
play "1 down SPACE
3 up SPACE"
! grep -q "^proceed" "$work/trace.txt" || fail "the first-run question came back"

# The meeting server's package: its files, no unit enabled, no game
# libraries pulled in, and the unpacked server starts and stops cleanly.
meet=$(ls "$(dirname "$deb")"/parvane-meet_*.deb)
dpkg-deb -x "$meet" "$work/meet"
for f in usr/games/parvane-meet usr/share/man/man6/parvane-meet.6.gz usr/lib/systemd/system/parvane-meet.service \
  usr/share/doc/parvane-meet/copyright; do
  [ -e "$work/meet/$f" ] || fail "the meeting server's package lacks $f"
done
[ -z "$(find "$work/meet" -path '*wants*')" ] || fail "the meeting server's unit comes enabled"
grep -qx "ExecStart=/usr/games/parvane-meet" "$work/meet/usr/lib/systemd/system/parvane-meet.service" ||
  fail "the unit starts another program"
! dpkg-deb -f "$meet" Depends | grep -q -e libsdl2 -e libenet ||
  fail "the meeting server depends on the game's libraries: $(dpkg-deb -f "$meet" Depends)"
port=$((32000 + $$ % 20000))
"$work/meet/usr/games/parvane-meet" --port "$port" --relay-ports "$((port + 1))-$((port + 2))" 2> "$work/meet.txt" &
pid=$!
for _ in $(seq 100); do
  grep -q listening "$work/meet.txt" && break
  sleep 0.1
done
kill -TERM "$pid"
wait "$pid" || fail "the unpacked meeting server ended with status $?: $(cat "$work/meet.txt")"
grep -q "listening on UDP port $port" "$work/meet.txt" || fail "the unpacked meeting server: $(cat "$work/meet.txt")"
echo "installed layout: ok"
