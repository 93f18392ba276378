#!/bin/bash
# Three real processes play online over loopback and one joiner quits in
# the middle of the match: the other two see it leave, play on in step, and
# the computer plays the departed man (drawn grey, chasing the ball) while
# the men of the two that stayed stand idle.
. "$SRC/tests/scenarios/online_common.bash"
mkdir "$work/host" "$work/stay" "$work/quit"
port=$((30000 + $$ % 5000))

# Enter late enough for both joiners to be in the lobby; the extra presses
# land in the match, where Enter does nothing.
printf '%s\n' '300 press ENTER' '360 press ENTER' '420 press ENTER' > "$work/host/script.txt"
echo '' > "$work/stay/script.txt"
echo '800 close' > "$work/quit/script.txt"

play "$work/host" 1500 --seed 1 --host "$port" &
hostpid=$!
sleep 0.3
play "$work/stay" 1500 --seed 2 --join "127.0.0.1:$port" &
staypid=$!
sleep 0.3
play "$work/quit" 1500 --seed 3 --join "127.0.0.1:$port" || fail "the joiner that quit ended with status $?"
wait "$hostpid" || fail "the host ended with status $?"
wait "$staypid" || fail "the joiner that stayed ended with status $?"

h=$work/host/trace.txt
s=$work/stay/trace.txt
grep -qx 'match start online 0 3' "$work/quit/trace.txt" || fail "the series did not start with all three"
for t in "$h" "$s"; do
  grep -qx 'match start online 0 3' "$t" || fail "no online match of three in $t"
  # (grep reads its whole input: an early exit would fail the pipe.)
  sed -n '/^match start/,$p' "$t" | grep -x 'net peer leave 3' > /dev/null || fail "$t: nobody left the match"
done

# The two that stayed agree on every frame both checked, and went on
# checking well after the departure.
same_checks "$h" "$s" 10
after() {  # TRACE: the lines after the departure
  sed -n '/^net peer leave 3$/,$p' "$1"
}
common=$(join <(after "$h" | awk '/^net check/ {print $3}' | sort) \
  <(after "$s" | awk '/^net check/ {print $3}' | sort) | wc -l)
[ "$common" -ge 5 ] || fail "only $common frames checked on both after the departure"

# Man 3 is drawn as the computer's (a grey body) from the frame his
# machine's leaving was settled on (the line comes after that frame's
# drawing), never before.
for t in "$h" "$s"; do
  awk '/^flip / {n = $2} /^match start/ {m = 1}
       m && / 70 70 70 1 / && grey == "" {grey = n}
       /^net peer leave 3$/ {left = n}
       END {exit !(left != "" && grey != "" && grey >= left)}' "$t" ||
    fail "$t: the departed man is not the computer's, or a man was before anybody left"
done

# And he plays: with every other man idle, he sets off after the ball at
# once and takes it. Positions are the shirts' centres relative to the
# arena, in units of the main ball's drawn size, so the camera's moves and
# zoom cancel out.
for t in "$h" "$s"; do
  python3 - "$t" <<'PY' || fail "$t: the departed man does not play"
import math, sys
shirts = {"200 0 0": 1, "0 0 200": 2, "0 200 0": 3}
frames, men, ball, arena, left, bar = [], {}, None, None, False, []
for line in open(sys.argv[1]):
    if line.startswith("flip "):
        if left and ball and arena and len(men) == 3:
            frames.append({k: ((sum(p[0] for p in v) / len(v) - arena[0]) / ball,
                               (sum(p[1] for p in v) / len(v) - arena[1]) / ball)
                           for k, v in men.items()})
        men, ball, arena = {}, None, None
    elif line.startswith("net peer leave 3"):
        left = True
    elif line.startswith("sprite "):
        f = line.split()
        colour = " ".join(f[5:8])
        if f[11].startswith("mainball"):
            ball = float(f[3])
        elif f[11].startswith("mezball") and arena is None:
            arena = (float(f[1]), float(f[2]))
        elif f[11] == "scia.png" and colour == "0 255 0" and left:
            bar.append(float(f[3]))
        elif colour in shirts and f[11] in ("ball.png", "rect.png"):
            men.setdefault(shirts[colour], []).append((float(f[1]), float(f[2])))

def path(k, frames):
    return sum(math.dist(a[k], b[k]) for a, b in zip(frames, frames[1:]))

first = frames[:120]
paths = [round(path(k, first)) for k in (1, 2, 3)]
print("frames after the departure", len(frames), "; paths in the first 120 (men 1 to 3)", paths,
      "; his bar", bar[:1], bar[-1:])
assert len(frames) > 300, "too few frames after the departure"
assert paths[2] > 3 * max(paths[0], paths[1]), "he moved no more than the idle men"
assert bar and bar[-1] > bar[0], "he never took the ball"
PY
done
echo ok
