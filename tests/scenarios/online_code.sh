#!/bin/bash
# A game code over loopback, with a real meeting server: the host named in
# its online.txt gets a code, a joiner typing it plays in step with it over
# the local line; a wrong code, a silent server and no server at all each
# say what happened. (Routers in between: online_meet.sh.)
. "$SRC/tests/scenarios/online_common.bash"
mkdir "$work/host" "$work/join" "$work/wrong" "$work/silent" "$work/none"
port=$((26000 + $$ % 3000))
meetport=$((port + 3001))

"$BUILD/parvane-meet" --port "$meetport" --relay-ports "$((port + 3002))-$((port + 3003))" 2> "$work/meet.txt" &
serverpid=$!
trap 'kill "$serverpid" 2> /dev/null || true; rm -rf "$work"' EXIT
echo "meet 127.0.0.1:$meetport" > "$work/host/online.txt"
printf '%s\n' '240 press ENTER' '300 press ENTER' > "$work/host/script.txt"
echo '' > "$work/join/script.txt"
play "$work/host" 700 --seed 1 --host "$port" &
hostpid=$!
for ((n = 0; n < 200; n++)); do
  code=$(awk '$1 == "net" && $2 == "code" {print $3; exit}' "$work/host/trace.txt" 2> /dev/null || true)
  [ -n "$code" ] && break
  sleep 0.05
done
[ -n "$code" ] || fail "the host got no code: $(cat "$work/meet.txt")"
play "$work/join" 600 --seed 2 --join "$code" --meet "127.0.0.1:$meetport" || fail "the joiner ended with status $?"
wait "$hostpid" || fail "the host ended with status $?"
grep -q "^label .* $code\$" "$work/host/trace.txt" || fail "the host's lobby does not show its code"
grep -qx 'net route 2 lan' "$work/host/trace.txt" || fail "the host does not see a local line"
grep -qx 'net route 1 lan' "$work/join/trace.txt" || fail "the joiner does not see a local line"
grep -q '^label .* LAN$' "$work/join/trace.txt" || fail "the lobby does not show how the joiner is connected"
same_checks "$work/host/trace.txt" "$work/join/trace.txt" 3

# What goes wrong is said.
echo '' > "$work/wrong/script.txt"
play "$work/wrong" 240 --join 2345AB --meet "127.0.0.1:$meetport"
grep -q ' NO GAME HAS THAT CODE: CHECK IT WITH THE HOST$' "$work/wrong/trace.txt" || fail "no word on a wrong code"
kill "$serverpid"
wait "$serverpid" || fail "the meeting server ended with status $?"
echo '' > "$work/silent/script.txt"
play "$work/silent" 420 --join "$code" --meet "127.0.0.1:$meetport"
grep -q ' THE MEETING SERVER DOES NOT ANSWER: ' "$work/silent/trace.txt" || fail "no word on a silent server"
echo '' > "$work/none/script.txt"
play "$work/none" 60 --join "$code"
grep -q 'GAME CODES NEED A MEETING SERVER' "$work/none/stderr.txt" || fail "no word on a code without a server"
echo ok
