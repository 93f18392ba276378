#!/bin/bash
# A series over a bad network (--netsim 10/80/40 on both machines: a tenth
# of the packets lost, the rest 80 to 120 ms late and out of order), as two
# real processes over loopback with three men in all: no desync, and every
# frame both checked has the same state on both. The joiner's window is
# smaller than the host's: it plays at the host's size until the host
# leaves, then has its own again. The left match's replays play back.
. "$SRC/tests/scenarios/online_common.bash"

port=$((35000 + $$ % 5000))
mkdir "$work/host" "$work/join"
prefs "$work/host" 3 0 1 1 0 1
prefs "$work/join" 2 0 1 1 0 1
cp "$work/join/prefs.txt" "$work/prefs.before"

# The host presses Enter until the joiner is in and the series starts, then
# steers, and leaves; the joiner brings two players who push about.
{
  for f in $(seq 150 20 450); do echo "$f press ENTER"; done
  printf '%s\n' '470 down RIGHT' '700 down UP' '900 up RIGHT' '1100 up UP' '1150 press ESC'
} > "$work/host/script.txt"
printf '%s\n' '10 press RIGHT' '300 down LEFT' '300 down A' '600 up LEFT' '600 down W' \
  '800 down RIGHT' '1000 up A' > "$work/join/script.txt"

play "$work/host" 1300 --seed 1 --host "$port" --netsim 10/80/40 &
hostpid=$!
sleep 0.3
play "$work/join" 1600 --seed 7 --join "127.0.0.1:$port" --netsim 10/80/40 ||
  fail "the joiner ended with status $?"
wait "$hostpid" || fail "the host ended with status $?"

for t in "$work/host/trace.txt" "$work/join/trace.txt"; do
  grep -qx 'match start online 0 3' "$t" || fail "no online match of three men in $t"
done
same_checks "$work/host/trace.txt" "$work/join/trace.txt" 8

j=$work/join/trace.txt
grep -q ' THE HOST LEFT$' "$j" || fail "the joiner was not told that the host left"
[ "$(grep '^display open' "$j" | head -3 | tr '\n' ,)" = \
  'display open 800 600 0,display open 1024 768 0,display open 800 600 0,' ] ||
  fail "the joiner did not play at the host's size and back: $(grep '^display' "$j" | tr '\n' ,)"
cmp -s "$work/prefs.before" "$work/join/prefs.txt" || fail "the joiner's prefs.txt changed"
for m in host join; do
  [ "$(same_replays "$work/$m")" -ge 1 ] || fail "no replay played on the $m"
done
echo ok
