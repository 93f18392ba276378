// parvane-meet: the meeting server. Plain UDP: one socket for rooms and
// introductions, one per relay port; everything else is in server.cpp.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/random.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "meet/server.h"

namespace {

constexpr int maxrelayports = 1000;  // one socket each, within the usual limit of open files
constexpr uint16_t defaultrelays = 64;

const char* usage = "usage: parvane-meet [--port PORT] [--relay-ports FIRST-LAST]\n";

uint32_t milliseconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint32_t>(static_cast<uint64_t>(t.tv_sec) * 1000 + static_cast<uint64_t>(t.tv_nsec) / 1000000);
}

uint64_t randomword() {
  uint64_t v = 0;
  size_t got = 0;
  while (got < sizeof v) {
    const ssize_t n = getrandom(reinterpret_cast<char*>(&v) + got, sizeof v - got, 0);
    if (n > 0) got += static_cast<size_t>(n);
    else if (errno != EINTR) std::abort();  // no randomness means guessable codes: never run so
  }
  return v;
}

bool parseport(const std::string& text, long& port) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  port = std::strtol(text.c_str(), nullptr, 10);
  return port >= 1 && port <= 65535;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "parvane-meet: %s\n", message.c_str());
  return 1;
}

int udpsocket(uint16_t port, std::string& why) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    why = std::strerror(errno);
    return -1;
  }
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(port);
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    why = "UDP port " + std::to_string(port) + ": " + std::strerror(errno);
    close(fd);
    return -1;
  }
  return fd;
}

void sendto(int fd, const online::meetaddress& to, const uint8_t* data, size_t size) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(to.ip);
  a.sin_port = htons(to.port);
  // A full send buffer loses the datagram, as the network might have.
  (void)::sendto(fd, data, size, 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
}

}  // namespace

int main(int argc, char** argv) {
  long port = online::defaultmeetport, first = 0, last = 0;
  bool relaysgiven = false;
  for (int i = 1; i < argc; i++) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(usage, stdout);
      return 0;
    }
    if ((arg == "--port" || arg == "--relay-ports") && i + 1 >= argc) return fail(arg + " needs a value\n" + usage);
    if (arg == "--port") {
      if (!parseport(argv[++i], port)) return fail(std::string("not a port: ") + argv[i]);
    } else if (arg == "--relay-ports") {
      const std::string range = argv[++i];
      const size_t dash = range.find('-');
      if (dash == std::string::npos || !parseport(range.substr(0, dash), first) ||
          !parseport(range.substr(dash + 1), last) || last < first) {
        return fail("not a port range FIRST-LAST: " + range);
      }
      if (last - first + 1 > maxrelayports) {
        return fail("at most " + std::to_string(maxrelayports) + " relay ports: " + range);
      }
      relaysgiven = true;
    } else {
      return fail("unknown option " + arg + "\n" + usage);
    }
  }
  if (!relaysgiven) {
    first = port + 1;
    last = std::min<long>(65535, port + defaultrelays);
    if (first > 65535) first = last = 0;
  }
  if (first && port >= first && port <= last) return fail("the relay ports include the meeting port");

  // SIGINT and SIGTERM arrive as readable data, so the loop ends between datagrams.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  sigprocmask(SIG_BLOCK, &stop, nullptr);
  const int sigfd = signalfd(-1, &stop, SFD_CLOEXEC);
  const int poller = epoll_create1(EPOLL_CLOEXEC);
  if (sigfd < 0 || poller < 0) return fail(std::strerror(errno));

  std::string why;
  std::vector<int> fds;  // [0] the meeting port, then the relay ports in order
  const int relaycount = first ? static_cast<int>(last - first + 1) : 0;
  for (int i = 0; i <= relaycount; i++) {
    const int fd = udpsocket(static_cast<uint16_t>(i == 0 ? port : first + i - 1), why);
    if (fd < 0) return fail(why);
    fds.push_back(fd);
  }
  auto watch = [&](int fd, uint64_t tag) {
    epoll_event e{};
    e.events = EPOLLIN;
    e.data.u64 = tag;
    return epoll_ctl(poller, EPOLL_CTL_ADD, fd, &e) == 0;
  };
  if (!watch(sigfd, ~0ull)) return fail(std::strerror(errno));
  for (size_t i = 0; i < fds.size(); i++) {
    if (!watch(fds[i], i)) return fail(std::strerror(errno));
  }

  meet::server server(meet::serverlimits(), static_cast<uint16_t>(first), relaycount, randomword);
  std::fprintf(stderr, "parvane-meet: listening on UDP port %ld, relay ports %s\n", port,
               relaycount ? (std::to_string(first) + "-" + std::to_string(last)).c_str() : "none");

  std::vector<meet::outgoing> out;
  std::vector<uint8_t> reply;
  uint8_t buffer[65536];
  uint32_t lastexpiry = milliseconds();
  for (;;) {
    epoll_event ready[64];
    const int n = epoll_wait(poller, ready, 64, 1000);
    if (n < 0 && errno != EINTR) return fail(std::strerror(errno));
    const uint32_t now = milliseconds();
    for (int k = 0; k < n; k++) {
      if (ready[k].data.u64 == ~0ull) {
        std::fprintf(stderr, "parvane-meet: stopping\n");
        return 0;
      }
      const size_t index = ready[k].data.u64;
      // A bounded batch per socket, so that one busy port cannot starve the rest.
      for (int batch = 0; batch < 64; batch++) {
        sockaddr_in a{};
        socklen_t alen = sizeof a;
        const ssize_t got = recvfrom(fds[index], buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&a), &alen);
        if (got < 0) break;
        const online::meetaddress from{ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
        if (index == 0) {
          out.clear();
          server.receive(from, buffer, static_cast<size_t>(got), now, out);
          for (const meet::outgoing& o : out) sendto(fds[0], o.to, o.bytes.data(), o.bytes.size());
        } else {
          online::meetaddress to;
          const uint16_t relayport = static_cast<uint16_t>(first + index - 1);
          switch (server.relays().receive(relayport, from, buffer, static_cast<size_t>(got), now, to, reply)) {
            case meet::relayverdict::forward: sendto(fds[index], to, buffer, static_cast<size_t>(got)); break;
            case meet::relayverdict::reply: sendto(fds[index], from, reply.data(), reply.size()); break;
            case meet::relayverdict::drop: break;
          }
        }
      }
    }
    if (now - lastexpiry >= 1000) {
      server.expire(now);
      lastexpiry = now;
    }
    for (const std::string& line : server.events()) std::fprintf(stderr, "%s\n", line.c_str());
    server.events().clear();
  }
}
