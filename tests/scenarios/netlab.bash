# A small internet inside Linux network namespaces, for the online
# scenarios that need routers between the machines. Every address lives only
# inside these namespaces, and every namespace goes when the script ends,
# however it ends. Sourced after online_common.bash.
#
#   core          the internet's one router: 10.200.0.1 towards the server,
#                 10.200.N.1 towards home N
#   meet          a machine on the internet, 10.200.0.10
#   homeN         a home router of kind K: 10.200.N.2 outside, 192.168.N.1 in
#   homeN-mM      machine M at home N, 192.168.N.(10+M)
#
# Kinds of home router:
#   1  masquerade keeping the source port where it is free, and a firewall
#      that drops unsolicited packets to the router itself
#   2  the same without that firewall: an unsolicited packet is taken by the
#      router's own stack, and its port is then busy for masquerading
#   3  symmetric: a random outside port for every destination, firewalled

lab_prefix=${PARVANE_LAB_PREFIX:-pvl$$-}
lab_spaces=()

lab_skip() {
  echo "skipped: $*"
  exit 77
}

lab_check() {
  [ "$(id -u)" -eq 0 ] || lab_skip "network namespaces need root"
  command -v ip > /dev/null || lab_skip "no ip command (iproute2)"
  command -v nft > /dev/null || lab_skip "no nft command (nftables)"
  command -v python3 > /dev/null || lab_skip "no python3 for the lab's probes"
  ip netns add "${lab_prefix}probe" 2> /dev/null || lab_skip "network namespaces cannot be made here"
  ip netns del "${lab_prefix}probe"
}

# The processes started inside the lab end first, then the namespaces.
lab_cleanup() {
  local ns pid
  for ns in "${lab_spaces[@]}"; do
    for pid in $(ip netns pids "$ns" 2> /dev/null); do kill -9 "$pid" 2> /dev/null || true; done
  done
  for ns in "${lab_spaces[@]}"; do ip netns del "$ns" 2> /dev/null || true; done
  lab_spaces=()
}

lab_ns() { echo "${lab_prefix}$1"; }

# lab_run NAME COMMAND...: runs a command inside the lab machine NAME.
lab_run() {
  local ns
  ns=$(lab_ns "$1")
  shift
  ip netns exec "$ns" "$@"
}

lab_space() {  # NAME
  local ns
  ns=$(lab_ns "$1")
  ip netns add "$ns"
  lab_spaces+=("$ns")
  ip -n "$ns" link set lo up
}

# A cable between two lab machines, the interface names inside each.
lab_cable() {  # A IFA B IFB
  ip -n "$(lab_ns "$1")" link add "$2" type veth peer name "$4" netns "$(lab_ns "$3")"
  ip -n "$(lab_ns "$1")" link set "$2" up
  ip -n "$(lab_ns "$3")" link set "$4" up
}

lab_forwarding() { lab_run "$1" sysctl -qw net.ipv4.ip_forward=1; }

# The internet: its router and the meeting server's machine.
lab_internet() {
  trap 'lab_cleanup; [ -n "${LAB_KEEP:-}" ] || rm -rf "$work"' EXIT
  lab_space core
  lab_space meet
  lab_forwarding core
  lab_cable core srv meet eth0
  ip -n "$(lab_ns core)" addr add 10.200.0.1/24 dev srv
  ip -n "$(lab_ns meet)" addr add 10.200.0.10/24 dev eth0
  ip -n "$(lab_ns meet)" route add default via 10.200.0.1
}

# lab_home N KIND MACHINES: a home behind a router of the kind, with its
# machines on one switch.
lab_home() {
  local n=$1 kind=$2 machines=$3 m rt
  rt=home$n
  lab_space "$rt"
  lab_forwarding "$rt"
  lab_cable core "h$n" "$rt" wan
  ip -n "$(lab_ns core)" addr add "10.200.$n.1/24" dev "h$n"
  ip -n "$(lab_ns "$rt")" addr add "10.200.$n.2/24" dev wan
  ip -n "$(lab_ns "$rt")" route add default via "10.200.$n.1"
  ip -n "$(lab_ns "$rt")" link add lan type bridge
  ip -n "$(lab_ns "$rt")" addr add "192.168.$n.1/24" dev lan
  ip -n "$(lab_ns "$rt")" link set lan up
  for ((m = 1; m <= machines; m++)); do
    lab_space "$rt-m$m"
    lab_cable "$rt" "p$m" "$rt-m$m" eth0
    ip -n "$(lab_ns "$rt")" link set "p$m" master lan
    ip -n "$(lab_ns "$rt-m$m")" addr add "192.168.$n.$((10 + m))/24" dev eth0
    ip -n "$(lab_ns "$rt-m$m")" route add default via "192.168.$n.1"
  done
  local nat="masquerade"
  [ "$kind" -eq 3 ] && nat="masquerade fully-random"
  local rules="table ip nat {
    chain post { type nat hook postrouting priority 100; oifname \"wan\" $nat; }
  }"
  if [ "$kind" -ne 2 ]; then
    rules+="
  table inet wall {
    chain input {
      type filter hook input priority 0; policy drop;
      ct state established,related accept
      iifname { \"lo\", \"lan\" } accept
    }
  }"
  fi
  echo "$rules" | lab_run "$rt" nft -f - || fail "the router of home $n refused its rules"
}

lab_machine() { echo "home$1-m$2"; }
# The addresses, inside the lab only, of the meeting server and of machine
# M at home N.
lab_meet_address=10.200.0.10
lab_machine_address() { echo "192.168.$1.$((10 + $2))"; }

# lab_ports MACHINE PORT: sends from one UDP socket bound to PORT to two
# ports of the meeting server's machine, and prints the outside source port
# each arrived from.
lab_ports() {
  local from=$1 port=$2 out
  out=$(mktemp -p "$work")
  lab_run meet timeout 5 python3 -c '
import socket, sys
got = []
socks = []
for p in (31001, 31002):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("10.200.0.10", p)); s.settimeout(4); socks.append(s)
print("ready", flush=True)
for s in socks:
    data, addr = s.recvfrom(64)
    got.append(str(addr[1]))
print(" ".join(got), flush=True)
' > "$out" &
  local listener=$!
  for _ in $(seq 50); do grep -q ready "$out" 2> /dev/null && break; sleep 0.05; done
  lab_run "$from" python3 -c '
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("0.0.0.0", int(sys.argv[1])))
for p in (31001, 31002):
    s.sendto(b"probe", ("10.200.0.10", p))
' "$port"
  wait "$listener" || fail "the probe from $from never arrived"
  tail -n 1 "$out"
}

# The routers behave as their kind says: kind 1 keeps the port, kind 3
# gives each destination its own.
lab_verify() {  # HOME KIND
  local ports
  ports=$(lab_ports "$(lab_machine "$1" 1)" 30999)
  case $2 in
    1 | 2) [ "$ports" = "30999 30999" ] || fail "the router of home $1 did not keep the port: $ports" ;;
    3) [ "${ports% *}" != "${ports#* }" ] || fail "the router of home $1 kept one port for two places: $ports" ;;
  esac
}
