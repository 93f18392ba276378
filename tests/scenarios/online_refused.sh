#!/bin/bash
# Joiners the host must refuse, as real processes over loopback: a build of
# another version is told both versions; a copy of the game beside a body
# file of another shape is told the body files differ. Neither gets into the
# lobby.
. "$SRC/tests/scenarios/online_common.bash"

other=${BUILD:-$(dirname "$PARVANE")}/parvane_otherversion
[ -x "$other" ] || fail "no test build of another version at $other"
port=$((30000 + $$ % 5000))
for m in host version body; do
  mkdir "$work/$m"
  prefs "$work/$m" 3 0 1 1 0 1
  echo '' > "$work/$m/script.txt"
done

# A copy of the game that finds a valid body file of its own beside it.
mkdir "$work/copy"
cp "$PARVANE" "$work/copy/parvane"
cp -r "$(dirname "$PARVANE")/media" "$work/copy/media"
sed -i '1s/.*/Body of a player: a figure of another shape./' "$work/copy/media/man.txt"

play "$work/host" 600 --seed 1 --host "$port" &
hostpid=$!
sleep 0.3
BINARY=$other play "$work/version" 400 --seed 2 --join "127.0.0.1:$port" &
versionpid=$!
BINARY=$work/copy/parvane play "$work/body" 400 --seed 3 --join "127.0.0.1:$port" ||
  fail "the joiner with another body file ended with status $?"
wait "$versionpid" || fail "the joiner of another version ended with status $?"
wait "$hostpid" || fail "the host ended with status $?"

grep -q ' THE HOST RUNS GAME VERSION [^ ]*, THIS IS 0.9-test$' "$work/version/trace.txt" ||
  fail "the joiner of another version was not told both versions"
grep ' THE HOST RUNS GAME VERSION ' "$work/version/trace.txt" | grep -q 'VERSION 0.9-test,' &&
  fail "the host claims the joiner's version"
grep -q ' THE HOST HAS A DIFFERENT BODY FILE$' "$work/body/trace.txt" ||
  fail "the joiner with another body file was not told so"
if grep -q '^net peer join [2-4]' "$work/host/trace.txt"; then fail "a refused joiner got in"; fi
if grep -q '^match start' "$work/host/trace.txt"; then fail "a match started"; fi
echo ok
