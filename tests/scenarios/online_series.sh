#!/bin/bash
# Two real processes play online over loopback, each with its own script:
# they must meet in the lobby, agree on every checked frame and end every
# decided match alike; a joiner nobody answers says so and goes on.
set -euo pipefail
: "${PARVANE:?path of the game binary}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/host" "$work/join" "$work/alone"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A port of its own, so parallel runs do not meet each other.
port=$((25000 + $$ % 5000))

# The host presses Enter now and then: the first one that finds the joiner
# in the lobby starts the series; later ones leave the end screens.
{
  for f in 30 90 150 210 270 330 600 900 1200; do echo "$f press ENTER"; done
  printf '%s\n' '100 down LEFT' '700 up LEFT' '820 press P'
} | sort -n > "$work/host/script.txt"
# The joiner pauses the match for both; the host's P resumes it.
printf '%s\n' '200 down UP' '500 up UP' '500 down RIGHT' '640 press P' '1000 up RIGHT' > "$work/join/script.txt"

play() {  # FOLDER OPTIONS...
  local dir=$1
  shift
  (cd "$dir" && timeout 120 "$PARVANE" --headless --fake-clock --script script.txt \
    --trace trace.txt --max-frames "${frames:-1000}" "$@" 2> stderr.txt)
}

# Frames to spare: a loaded machine may start the series late.
frames=1500 play "$work/host" --seed 1 --host "$port" &
hostpid=$!
sleep 0.3
frames=1500 play "$work/join" --seed 7 --join "127.0.0.1:$port" --netsim 5/20/10 &
joinpid=$!
wait "$hostpid" || fail "the host ended with status $?"
wait "$joinpid" || fail "the joiner ended with status $?"

h=$work/host/trace.txt
j=$work/join/trace.txt
grep -qx 'net peer join 2' "$h" || fail "the host never saw the joiner"
grep -qx 'net peer join 1' "$j" || fail "the joiner never reached the host"
for t in "$h" "$j"; do
  grep -qx 'match start online 0 2' "$t" || fail "no online match in $t"
  grep -q '^net desync' "$t" && fail "the machines fell out of step"
done

# Both saw the pause, whoever pressed P.
for t in "$h" "$j"; do
  grep -q '^label .* PAUSE$' "$t" || fail "no pause shown in $t"
done

# Every frame both machines checked has the same state on both.
grep '^net check' "$h" | sort > "$work/hc"
grep '^net check' "$j" | sort > "$work/jc"
common=$(join -j 3 <(awk '{print $3, $4, $3}' "$work/hc" | sort) \
  <(awk '{print $3, $4, $3}' "$work/jc" | sort) | wc -l)
[ "$common" -ge 10 ] || fail "only $common frames checked on both machines"
mismatch=$(join <(awk '{print $3, $4}' "$work/hc" | sort) <(awk '{print $3, $4}' "$work/jc" | sort) |
  awk '$2 != $3' | wc -l)
[ "$mismatch" -eq 0 ] || fail "$mismatch checked frames differ"

# Decided matches end alike on both machines (the last one is cut short by
# the frame limit at a different frame on each).
diff <(grep '^match end' "$h" | grep -v ' -1 ') <(grep '^match end' "$j" | grep -v ' -1 ') ||
  fail "the decided matches ended differently"

# Nobody at the other end: the joiner says so instead of waiting for ever.
echo '' > "$work/alone/script.txt"
frames=420 play "$work/alone" --seed 1 --join "127.0.0.1:$((port + 1))" ||
  fail "the lone joiner ended with status $?"
grep -q ' NO ANSWER FROM THE HOST$' "$work/alone/trace.txt" || fail "no message for a host that is not there"

# Bad addresses and conditions are refused before anything opens.
for args in "--host 0" "--join nowhere" "--netsim 5/100" "--host 1 --join a:1"; do
  set +e
  # shellcheck disable=SC2086
  "$PARVANE" --headless $args 2> "$work/err.txt"
  status=$?
  set -e
  [ "$status" -eq 1 ] || fail "$args: status $status"
  [ -s "$work/err.txt" ] || fail "$args: no message"
done
echo ok
