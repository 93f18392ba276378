#!/bin/bash
# A match won online, as two real processes over loopback whose windows
# differ (the host's 1024 x 768, the joiner's 640 x 480): the joiner plays
# at the host's size, both end the match with the same line, and the replay
# each machine saved is the same and plays back to that line; the host's was
# on disk while its end screen still showed. In the middle the joiner's
# process is stopped for two seconds: the host shows whom it waits for and
# when he would be dropped, then both play on.
. "$SRC/tests/scenarios/online_common.bash"

port=$((30000 + $$ % 1000))
mkdir "$work/host" "$work/join"
prefs "$work/host" 3 0 1 1 0 1
prefs "$work/join" 1 0 1 1 0 1
cp "$work/join/prefs.txt" "$work/prefs.before"

# Held keys are let go when the match begins, so they are held again every
# ten frames: the host's man goes up and right into the ball, the joiner's
# down and right out of its way, and the host wins after about 2500 frames.
# Enter starts the series, and from frame 2800 on leaves the winner's screen,
# which stays long enough to look at the replay already saved.
hold() {  # KEYS...
  local f k
  for f in $(seq 450 10 3600); do
    for k in "$@"; do echo "$f down $k"; done
  done
}
{
  for f in $(seq 40 20 400) $(seq 2800 20 3600); do echo "$f press ENTER"; done
  hold UP RIGHT
} | sort -s -n > "$work/host/script.txt"
hold DOWN RIGHT > "$work/join/script.txt"

play "$work/host" 3600 --seed 1 --host "$port" &
hostpid=$!
sleep 0.3
play "$work/join" 3600 --seed 7 --join "127.0.0.1:$port" &
joinpid=$!
for _ in $(seq 600); do
  grep -q '^match start online' "$work/host/trace.txt" 2> /dev/null && break
  sleep 0.1
done
sleep 3
# The game itself, under the subshell and timeout.
game=$joinpid
while child=$(pgrep -P "$game" | head -1) && [ -n "$child" ]; do game=$child; done
[ "$game" != "$joinpid" ] || fail "the joiner's game is not running"
kill -STOP "$game"
sleep 2
kill -CONT "$game"
kept=$work/host/replays/replay-000001.pvr
for _ in $(seq 900); do
  if [ -s "$kept" ]; then
    sleep 0.3
    cp "$kept" "$work/decided.pvr"
    break
  fi
  sleep 0.1
done
wait "$joinpid" || fail "the joiner ended with status $?"
wait "$hostpid" || fail "the host ended with status $?"

h=$work/host/trace.txt
j=$work/join/trace.txt
decided=$(grep '^match end' "$h" | grep -v ' -1 ' | head -1)
[ -n "$decided" ] || fail "no match was won: $(grep '^match end' "$h")"
grep -qx "$decided" "$j" || fail "the joiner ended the won match otherwise: $(grep '^match end' "$j")"
same_checks "$h" "$j" 30
grep -q '^label .* WAITING FOR PLAYER 2$' "$h" || fail "the host never showed whom it waited for"
for n in 4 3; do
  grep -q "^label .* DROPPED IN $n\$" "$h" || fail "the host's count-down never showed $n"
done
grep -q '^net peer leave' "$h" && fail "the stopped joiner was dropped"

# The joiner played at the host's size and kept its own in prefs.txt.
[ "$(grep '^display open' "$j" | head -2 | tr '\n' ,)" = 'display open 640 480 0,display open 1024 768 0,' ] ||
  fail "the joiner did not switch to the host's window: $(grep '^display' "$j" | tr '\n' ,)"
cmp -s "$work/prefs.before" "$work/join/prefs.txt" || fail "the joiner's prefs.txt changed"

# The won match's replay from either machine plays back to the same line.
for m in host join; do
  grep -qx 'replay save replays/replay-000001.pvr' "$work/$m/trace.txt" || fail "no replay on the $m"
  [ "$(same_replays "$work/$m")" -ge 1 ] || fail "no replay played on the $m"
done
# What was on disk on the end screen was the match up to then, to the same
# winner; leaving that screen wrote it whole.
[ -s "$work/decided.pvr" ] || fail "no replay while the end screen showed"
cmp -s "$work/decided.pvr" "$kept" && fail "the replay was written only once the end screen was left"
(cd "$work/host" && timeout 60 "$PARVANE" --headless --fake-clock --replay "$work/decided.pvr" \
  2> /dev/null) || fail "the replay saved on the end screen does not play"
# And it is the same replay, byte for byte.
cmp "$work/host/replays/replay-000001.pvr" "$work/join/replays/replay-000001.pvr" ||
  fail "the machines saved different replays of the won match"
echo ok
