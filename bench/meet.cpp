// The meeting server's costs. In this process: the heap a proved room and an
// introduction take. Then the real parvane-meet (beside this program) on
// loopback: 10,000 rooms registered and looked up from 1000 addresses of
// 127/8 (the per-address limits allow ten each), its memory and CPU time;
// and its CPU per datagram relayed for 60 pairs, from which the players one
// core could carry at 60 packets a second follows by extrapolation.
#include <arpa/inet.h>
#include <malloc.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "meet/server.h"

extern char** environ;

namespace {

using namespace online;

size_t heap() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;  // large blocks are mapped apart
}

meetpacket registration(uint64_t key, uint64_t proof) {
  meetpacket p;
  p.type = meettype::hostregister;
  p.key = key;
  p.token = proof;
  p.localcount = 2;
  p.locals[0] = {0xc0a80002, 24680};
  p.locals[1] = {0x0a000002, 24680};
  return p;
}

void inprocess() {
  uint64_t counter = 0;
  const size_t before = heap();
  meet::server server(meet::serverlimits(), 40000, 64, [&counter] { return ++counter * 0x9e3779b97f4a7c15ull; });
  const size_t empty = heap();
  std::vector<meet::outgoing> out;
  std::vector<uint8_t> bytes;
  std::vector<std::string> codes;
  const int rooms = 10000;
  for (int i = 0; i < rooms; i++) {
    const meetaddress host{0x0b000000u + static_cast<uint32_t>(i), 24680};
    encodemeet(registration(i + 1, 0), bytes);
    out.clear();
    server.receive(host, bytes.data(), bytes.size(), 0, out);
    meetpacket reply;
    decodemeet(out[0].bytes.data(), out[0].bytes.size(), reply);
    encodemeet(registration(i + 1, reply.token), bytes);
    server.receive(host, bytes.data(), bytes.size(), 0, out);
    codes.push_back(reply.code);
  }
  const size_t withrooms = heap();
  for (int i = 0; i < rooms; i++) {
    meetpacket p;
    p.type = meettype::lookup;
    p.code = codes[i];
    encodemeet(p, bytes);
    out.clear();
    server.receive({0x0c000000u + static_cast<uint32_t>(i), 5000}, bytes.data(), bytes.size(), 0, out);
  }
  const size_t withpairs = heap();
  server.events().clear();
  std::printf("server at rest: %.1f MB (most of it the table of source addresses)\n", (empty - before) / 1e6);
  std::printf("per proved room: %.0f bytes; per introduction (a pair that may ask for a relay): %.0f bytes\n",
              double(withrooms - empty) / rooms, double(withpairs - withrooms) / rooms);
  std::printf("per relayed pair: %zu bytes of relay slot, plus the introduction\n", server.relays().bytes() / 64);
}

// --- the real server on loopback ---

struct proc {
  long cputicks = 0;  // user + system
  long rsskb = 0;
};

proc measure(pid_t pid) {
  proc p;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string s((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream rest(s.substr(s.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 15; i++) {
    rest >> field;
    if (i == 14 || i == 15) p.cputicks += std::stol(field);
  }
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) p.rsskb = std::stol(line.substr(6));
  }
  return p;
}

double ms(long ticks) { return ticks * 1000.0 / sysconf(_SC_CLK_TCK); }

int udp(uint32_t ip, uint16_t port = 0) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(ip);
  a.sin_port = htons(port);
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    std::perror("bind");
    std::exit(1);
  }
  return fd;
}

void sendpacket(int fd, uint16_t port, const meetpacket& p) {
  std::vector<uint8_t> bytes;
  encodemeet(p, bytes);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
}

// Up to `count` decoded datagrams, waiting at most three seconds for each
// (a loaded machine may keep the server from running for a while).
std::vector<meetpacket> receive(int fd, int count) {
  std::vector<meetpacket> got;
  uint8_t buffer[2048];
  while (static_cast<int>(got.size()) < count) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 3000) <= 0) break;
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    meetpacket m;
    if (n > 0 && decodemeet(buffer, static_cast<size_t>(n), m)) got.push_back(m);
  }
  return got;
}

uint16_t freeport() {
  const int fd = udp(INADDR_LOOPBACK);
  sockaddr_in a{};
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  close(fd);
  return ntohs(a.sin_port);
}

void onloopback(const std::string& program) {
  const uint16_t port = freeport();
  const std::string portarg = std::to_string(port);
  const std::string relays = std::to_string(port + 1) + "-" + std::to_string(port + 64);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {program.c_str(), "--port", portarg.c_str(), "--relay-ports", relays.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &files, nullptr, const_cast<char**>(argv), environ) != 0) {
    std::perror(program.c_str());
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const proc start = measure(pid);

  // 10,000 rooms from 127.1.x.y, ten per address, each proved and looked up.
  int rooms = 0, introduced = 0;
  for (int a = 0; a < 1000; a++) {
    const int fd = udp(0x7f010000u + static_cast<uint32_t>(a + 1));
    // Loopback keeps the order, so the k-th answer is the k-th room's.
    std::vector<std::string> codes;
    for (int k = 0; k < 10; k++) sendpacket(fd, port, registration(a * 10 + k + 1, 0));
    const std::vector<meetpacket> first = receive(fd, 10);
    for (size_t k = 0; k < first.size(); k++) {
      sendpacket(fd, port, registration(a * 10 + k + 1, first[k].token));
      codes.push_back(first[k].code);
    }
    receive(fd, 10);
    rooms += static_cast<int>(codes.size());
    for (const std::string& code : codes) {
      meetpacket p;
      p.type = meettype::lookup;
      p.code = code;
      sendpacket(fd, port, p);
    }
    const auto intros = receive(fd, 2 * static_cast<int>(codes.size()));
    for (const meetpacket& r : intros) {
      introduced += r.type == meettype::introduce;
    }
    close(fd);
  }
  const proc rooms10k = measure(pid);
  std::printf("loopback, %d rooms registered, %d introductions: server RSS %ld kB -> %ld kB, CPU %.0f ms\n", rooms,
              introduced / 2, start.rsskb, rooms10k.rsskb, ms(rooms10k.cputicks - start.cputicks));

  // 60 relayed pairs: each host at 127.2.0.k, its joiner at 127.3.0.k.
  const int pairs = 60;
  std::vector<int> hosts, joiners;
  std::vector<uint16_t> relayports;
  for (int k = 0; k < pairs; k++) {
    const int h = udp(0x7f020000u + static_cast<uint32_t>(k + 1));
    const int j = udp(0x7f030000u + static_cast<uint32_t>(k + 1));
    sendpacket(h, port, registration(900000 + k, 0));
    const std::vector<meetpacket> reg = receive(h, 1);
    if (reg.empty()) continue;
    sendpacket(h, port, registration(900000 + k, reg[0].token));
    receive(h, 1);
    meetpacket ask;
    ask.type = meettype::lookup;
    ask.code = reg[0].code;
    sendpacket(j, port, ask);
    const std::vector<meetpacket> intro = receive(j, 1);
    receive(h, 1);
    if (intro.empty() || intro[0].type != meettype::introduce) continue;
    ask.type = meettype::relayrequest;
    ask.token = intro[0].token;
    sendpacket(j, port, ask);
    const std::vector<meetpacket> grant = receive(j, 1);
    if (grant.empty() || grant[0].type != meettype::relaygrant) continue;
    meetpacket bind;
    bind.type = meettype::relaybind;
    bind.token = ask.token;
    bind.role = meetrole::host;
    sendpacket(h, grant[0].port, bind);
    bind.role = meetrole::joiner;
    sendpacket(j, grant[0].port, bind);
    if (receive(h, 1).empty() || receive(j, 1).empty()) continue;
    hosts.push_back(h);
    joiners.push_back(j);
    relayports.push_back(grant[0].port);
  }
  // Every 2 ms each host sends 100 bytes: 500 a second per pair, within
  // its cap. The joiners count what arrives.
  const proc before = measure(pid);
  uint8_t game[100] = {1};
  uint8_t buffer[2048];
  long sent = 0, forwarded = 0;
  auto next = std::chrono::steady_clock::now();
  for (int round = 0; round < 1500; round++) {
    for (size_t k = 0; k < hosts.size(); k++) {
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      a.sin_port = htons(relayports[k]);
      sent += sendto(hosts[k], game, sizeof game, 0, reinterpret_cast<sockaddr*>(&a), sizeof a) > 0;
      while (recv(joiners[k], buffer, sizeof buffer, 0) > 0) forwarded++;
    }
    next += std::chrono::milliseconds(2);
    std::this_thread::sleep_until(next);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  for (int j : joiners) {
    while (recv(j, buffer, sizeof buffer, 0) > 0) forwarded++;
  }
  const proc after = measure(pid);
  const double perpacket = ms(after.cputicks - before.cputicks) * 1000.0 / static_cast<double>(forwarded);
  std::printf("relay, %zu pairs: %ld datagrams sent, %ld forwarded, server CPU %.0f ms: %.2f us per datagram\n",
              hosts.size(), sent, forwarded, ms(after.cputicks - before.cputicks), perpacket);
  // A relayed player's line carries 60 datagrams a second each way.
  std::printf("one core: about %.0f datagrams a second, %.0f relayed players at 60 a second each way (extrapolated)\n",
              1e6 / perpacket, 1e6 / perpacket / 120);
  std::printf("server RSS with the relays: %ld kB\n", after.rsskb);
  for (int fd : hosts) close(fd);
  for (int fd : joiners) close(fd);

  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
}

}  // namespace

int main(int, char** argv) {
  inprocess();
  std::string self = argv[0];
  onloopback(self.substr(0, self.rfind('/') + 1) + "parvane-meet");
  return 0;
}
