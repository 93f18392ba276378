#!/usr/bin/env python3
"""The meeting server as a host and a joiner on 127.0.0.1 meet it: the host
registers and proves its address, the joiner looks the code up and both are
introduced, the pair binds a relay port that then carries their datagrams
(and nobody else's), and SIGTERM ends the server with status 0."""
import signal
import socket
import struct
import subprocess
import sys

MAGIC = b"\xff\xffPm\x01"
REGISTER, REGISTERED, LOOKUP, INTRODUCE, RELAYREQUEST, RELAYGRANT, RELAYBIND, RELAYBOUND = range(1, 9)
server = sys.argv[1]


def fail(why):
    print("FAIL: " + why)
    sys.exit(1)


def request(kind, body):
    return (MAGIC + bytes([kind]) + body).ljust(64, b"\0")


def udp():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.1", 0))
    s.settimeout(2)
    return s


def ask(sock, to, data, kind):
    """Sends and waits for a datagram of that kind (a few tries: UDP)."""
    for _ in range(5):
        sock.sendto(data, to)
        try:
            while True:
                got, _ = sock.recvfrom(2048)
                if got[:5] == MAGIC and got[5] == kind:
                    return got
        except socket.timeout:
            pass
    fail("no answer of kind %d" % kind)


def start(*args):
    return subprocess.Popen([server, *args], stderr=subprocess.PIPE, text=True)


for bad in (["--port", "0"], ["--relay-ports", "5-3"], ["--bogus"]):
    p = start(*bad)
    try:
        _, err = p.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()
        fail("%s: the server ran" % bad)
    if p.returncode != 1 or "parvane-meet:" not in err:
        fail("%s: status %d, %r" % (bad, p.returncode, err))

# A free port for the server, its relays just above it.
for attempt in range(5):
    probe = udp()
    port = probe.getsockname()[1]
    probe.close()
    if port > 65000:
        continue
    meet = start("--port", str(port), "--relay-ports", "%d-%d" % (port + 1, port + 2))
    if meet.stderr.readline().startswith("parvane-meet: listening"):
        break
    meet.wait(timeout=10)
else:
    fail("the server never started")

try:
    addr = ("127.0.0.1", port)
    host, joiner, stranger = udp(), udp(), udp()
    key = struct.pack(">Q", 7)
    got = ask(host, addr, request(REGISTER, key + bytes(6) + bytes(8) + b"\0"), REGISTERED)
    code, proof = got[6:12], got[12:20]
    ask(host, addr, request(REGISTER, key + code + proof + b"\0"), REGISTERED)

    intro = ask(joiner, addr, request(LOOKUP, code + b"\0"), INTRODUCE)
    token = intro[6:14]
    if intro[15:21] != socket.inet_aton("127.0.0.1") + struct.pack(">H", host.getsockname()[1]):
        fail("the joiner learnt a wrong host address")
    hostintro = host.recvfrom(2048)[0]
    if hostintro[6:14] != token or hostintro[14] != 0:
        fail("the host was not introduced to the joiner")

    grant = ask(joiner, addr, request(RELAYREQUEST, token), RELAYGRANT)
    relay = ("127.0.0.1", struct.unpack(">H", grant[14:16])[0])
    ask(host, relay, request(RELAYBIND, token + b"\0"), RELAYBOUND)
    ask(joiner, relay, request(RELAYBIND, token + b"\1"), RELAYBOUND)
    host.sendto(b"game bytes", relay)
    if joiner.recvfrom(2048) != (b"game bytes", relay):
        fail("the relay did not carry the host's datagram")
    joiner.sendto(b"answer", relay)
    if host.recvfrom(2048) != (b"answer", relay):
        fail("the relay did not carry the joiner's datagram")
    stranger.sendto(b"let me in", relay)
    joiner.settimeout(0.5)
    try:
        fail("the relay carried a stranger's datagram: %r" % (joiner.recvfrom(2048),))
    except socket.timeout:
        pass
finally:
    meet.send_signal(signal.SIGTERM)
    _, err = meet.communicate(timeout=10)

if meet.returncode != 0:
    fail("SIGTERM: status %d" % meet.returncode)
code = code.decode()
for line in ("room %s opened by 127.0.0.1:%d" % (code, host.getsockname()[1]),
             "room %s joined from 127.0.0.1:%d" % (code, joiner.getsockname()[1]),
             "room %s: relay %d opened" % (code, relay[1])):
    if line not in err.splitlines():
        fail("no line %r in %r" % (line, err))
print("ok")
