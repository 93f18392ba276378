#!/bin/bash
# Game codes across routers: real games and a real meeting server in a
# small internet of network namespaces (netlab.bash). One series of four:
# a neighbour behind the host's own router comes in over the LAN, a home
# behind the same kind of router directly, a home behind a symmetric NAT
# through the relay; the server restarts while they gather and the code
# still works; the four play in step until the relay's port is lost, and
# the host reports that machine gone. Beside it, a router that answers for
# itself still lets a direct line through, and a neighbour finds a game on
# the local network without a code.
. "$SRC/tests/scenarios/online_common.bash"
. "$SRC/tests/scenarios/netlab.bash"
meetbin=$(dirname "$PARVANE")/parvane-meet
[ -x "$meetbin" ] || fail "no parvane-meet beside the game"
lab_check
lab_internet
lab_home 1 1 2
lab_home 2 1 1
lab_home 3 2 1
lab_home 4 3 1
lab_verify 1 1
lab_verify 3 2
lab_verify 4 3

server() {
  ip netns exec "$(lab_ns meet)" "$meetbin" --relay-ports 24700-24799 2>> "$work/meet.txt" &
  serverpid=$!
}

stopserver() {
  kill "$serverpid"
  wait "$serverpid" || fail "the meeting server ended with status $?"
}

# labplay MACHINE NAME FRAMES OPTIONS...: the game headless on a machine of
# the lab, in its own folder, in the background; its pid in pids[NAME].
declare -A pids started
labplay() {
  local machine=$1 name=$2 frames=$3
  shift 3
  mkdir -p "$work/$name"
  [ -e "$work/$name/script.txt" ] || echo '' > "$work/$name/script.txt"
  started[$name]=$(date +%s%N)
  (cd "$work/$name" && lab_run "$machine" timeout 150 "$PARVANE" --headless --fake-clock --script script.txt \
    --trace trace.txt --max-frames "$frames" --meet "$lab_meet_address" "$@" 2> stderr.txt) &
  pids[$name]=$!
}

# waitline NAME PATTERN: waits (at most 20 s) for a trace line, and prints
# the milliseconds since the game was started.
waitline() {
  local n
  for ((n = 0; n < 400; n++)); do
    if grep -q "$2" "$work/$1/trace.txt" 2> /dev/null; then
      echo $((($(date +%s%N) - started[$1]) / 1000000))
      return
    fi
    sleep 0.05
  done
  fail "$1 never printed '$2': $(grep -a '^net\|MEETING\|CODE\|RELAY\|ANSWER' "$work/$1/trace.txt" | sort -u | head -5)"
}

finish() {  # NAME
  wait "${pids[$1]}" || fail "$1 ended with status $?"
}

server
# The host starts once everybody had time to come in.
mkdir -p "$work/host"
printf '%s\n' '1200 press ENTER' '1260 press ENTER' '1320 press ENTER' > "$work/host/script.txt"
labplay "$(lab_machine 1 1)" host 2700 --seed 1 --host 24680
waitline host '^net code ' > /dev/null
code=$(awk '$1 == "net" && $2 == "code" {print $3; exit}' "$work/host/trace.txt")

labplay "$(lab_machine 1 2)" lan 2700 --seed 2 --join "$code"
waitline lan '^net route 1 lan$' > /dev/null

# The server forgets everything; the host has its code back within seconds.
stopserver
server
for ((n = 0; n < 200; n++)); do
  [ "$(grep -c "room $code opened" "$work/meet.txt")" -ge 2 ] && break
  sleep 0.05
done
[ "$n" -lt 200 ] || fail "the host did not register $code again after the restart: $(cat "$work/meet.txt")"

labplay "$(lab_machine 2 1)" direct 2700 --seed 3 --join "$code"
direct=$(waitline direct '^net route 1 direct$')
labplay "$(lab_machine 4 1)" relay 2700 --seed 4 --join "$code"
relay=$(waitline relay '^net route 1 relay$')
for route in '2 lan' '3 direct' '4 relay'; do waitline host "^net route $route\$" > /dev/null; done

# Some ten seconds into the match the relay's ports go dark.
waitline host '^net check 600 ' > /dev/null
lab_run meet nft -f - << 'EOF'
table inet lost {
  chain input { type filter hook input priority 0; udp dport 24700-24799 drop; }
}
EOF
for name in host lan direct relay; do finish "$name"; done
stopserver

for name in host lan direct relay; do
  grep -qx 'match start online 0 4' "$work/$name/trace.txt" || fail "$name played no match of four"
done
for name in lan direct relay; do same_checks "$work/host/trace.txt" "$work/$name/trace.txt" 5; done
for t in "$work/host/trace.txt" "$work/lan/trace.txt" "$work/direct/trace.txt"; do
  sed -n '/^match start/,$p' "$t" | grep -x 'net peer leave 4' > /dev/null || fail "$t: the relayed machine never left"
done
same_checks "$work/lan/trace.txt" "$work/direct/trace.txt" 15

# A router that answers for itself, and a game found on the local network
# through the join screen (the multiplayer menu's last item).
server
labplay "$(lab_machine 3 1)" kind2 600 --seed 5 --host 24680
waitline kind2 '^net code ' > /dev/null
code=$(awk '$1 == "net" && $2 == "code" {print $3; exit}' "$work/kind2/trace.txt")
labplay "$(lab_machine 2 1)" kind1 600 --seed 6 --join "$code"
direct2=$(waitline kind1 '^net route 1 direct$')
waitline kind2 '^net route 2 direct$' > /dev/null

labplay "$(lab_machine 1 1)" lanhost 600 --seed 7 --host 24680
mkdir -p "$work/finder"
printf '%s\n' '1 down SPACE' '3 up SPACE' '5 press DOWN' '7 press ENTER' '9 press UP' '11 press ENTER' \
  '150 press DOWN' '152 press ENTER' > "$work/finder/script.txt"
labplay "$(lab_machine 1 2)" finder 600 --seed 8
waitline finder '^net route 1 lan$' > /dev/null
grep -q " $(lab_machine_address 1 1):24680 " "$work/finder/trace.txt" || fail "the join screen did not list the game next door"
for name in kind2 kind1 lanhost finder; do finish "$name"; done
stopserver

echo "code to lobby: direct ${direct} ms and ${direct2} ms, relayed ${relay} ms (game start-up included)"
