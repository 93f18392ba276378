#include "online/enet_transport.h"

#include <enet/enet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <deque>
#include <utility>
#include <vector>

#include "online/address.h"
#include "online/meetpacket.h"
#include "online/packet.h"
#include "online/words.h"

namespace online {
namespace {

int users = 0;

bool startenet() {
  if (users == 0 && enet_initialize() != 0) return false;
  users++;
  return true;
}

void stopenet() {
  if (--users == 0) enet_deinitialize();
}

// Events waiting to be read; beyond this a flood is dropped at the door.
constexpr size_t maxqueued = 4096;
constexpr enet_uint8 reliablechannel = 0;
constexpr enet_uint8 unreliablechannel = 1;
// Datagrams beside ENet's waiting to be read; more are a flood.
constexpr size_t maxraw = 64;
constexpr size_t maxrawsize = 512;

struct rawdatagram {
  uint32_t address = 0;
  uint16_t port = 0;
  std::vector<uint8_t> data;
};

}  // namespace

struct enettransport::impl {
  ENetHost* host = nullptr;
  std::deque<netevent> events;
  std::vector<char> hungup;  // by peer: we hung up, so its late words are dropped
  std::deque<rawdatagram> raw;
  std::vector<linekind> routes;  // by peer, worked out when it connects
  std::vector<std::pair<uint32_t, uint16_t>> relays;

  ~impl() {
    if (host) {
      for (size_t i = 0; i < host->peerCount; i++) enet_peer_disconnect_now(&host->peers[i], 0);
      enet_host_destroy(host);
      stopenet();
    }
  }
  int id(const ENetPeer* peer) const { return static_cast<int>(peer - host->peers); }
  ENetPeer* peer(int id) const {
    if (id < 0 || static_cast<size_t>(id) >= host->peerCount) return nullptr;
    return &host->peers[id];
  }
  void limit() {
    // Nothing we accept comes near these; bigger is an attack on memory.
    host->maximumPacketSize = maxpacket;
    host->maximumWaitingData = 64 * 1024;
    hungup.assign(host->peerCount, 0);
    routes.assign(host->peerCount, linekind::unknown);
    host->intercept = &impl::intercept;
  }
  linekind routeto(const ENetAddress& a) const {
    for (const auto& r : relays)
      if (r.first == a.host && r.second == a.port) return linekind::relay;
    return onlocalnetwork(a.host) ? linekind::lan : linekind::direct;
  }
  // ENet keeps no pointer of ours in its host: the one being serviced is
  // set around enet_host_service, the only call that receives.
  static impl* servicing;
  static int ENET_CALLBACK intercept(ENetHost* host, ENetEvent*) {
    impl* self = servicing;
    if (!self || self->host != host) return 0;
    const ENetAddress& from = host->receivedAddress;
    const uint8_t* data = host->receivedData;
    const size_t size = host->receivedDataLength;
    if (!meetdatagram(data, size) && !ismarked(data, size)) return 0;
    if (self->raw.size() < maxraw && size <= maxrawsize)
      self->raw.push_back({from.host, from.port, std::vector<uint8_t>(data, data + size)});
    return 1;
  }
};

enettransport::impl* enettransport::impl::servicing = nullptr;

enettransport::enettransport(std::unique_ptr<impl> p) : p_(std::move(p)) {}
enettransport::~enettransport() = default;

std::unique_ptr<enettransport> enettransport::listen(uint16_t port, std::string* why, const char* only) {
  if (!startenet()) {
    if (why) *why = "THE NETWORK COULD NOT BE STARTED";
    return nullptr;
  }
  ENetAddress address;
  address.host = ENET_HOST_ANY;
  address.port = port;
  if (only && enet_address_set_host_ip(&address, only) != 0) {
    stopenet();
    if (why) *why = std::string("NO ADDRESS ") + only;
    return nullptr;
  }
  auto p = std::make_unique<impl>();
  // Three joiners and room to turn many away: connections that never say
  // hello are let go, and no one address may hold more than half of it.
  p->host = enet_host_create(&address, 32, 2, 0, 0);
  if (!p->host) {
    stopenet();
    if (why) *why = "UDP PORT " + std::to_string(port) + " IS NOT FREE";
    return nullptr;
  }
  p->limit();
  p->host->duplicatePeers = 16;
  return std::unique_ptr<enettransport>(new enettransport(std::move(p)));
}

std::unique_ptr<enettransport> enettransport::join(const std::string& hostname, uint16_t port, std::string* why,
                                                  const char* only) {
  auto t = unbound(why, only);
  if (!t) return nullptr;
  ENetAddress address;
  address.port = port;
  if (enet_address_set_host(&address, hostname.c_str()) != 0) {
    if (why) *why = "NO HOST CALLED " + hostname;
    return nullptr;
  }
  if (!enet_host_connect(t->p_->host, &address, 2, 0)) {
    if (why) *why = "THE NETWORK COULD NOT BE STARTED";
    return nullptr;
  }
  return t;
}

void enettransport::service(uint32_t) {
  ENetEvent ev;
  impl::servicing = p_.get();
  while (enet_host_service(p_->host, &ev, 0) > 0) {
    const int id = p_->id(ev.peer);
    switch (ev.type) {
      case ENET_EVENT_TYPE_CONNECT:
        p_->hungup[static_cast<size_t>(id)] = 0;
        p_->routes[static_cast<size_t>(id)] = p_->routeto(ev.peer->address);
        p_->events.push_back({netevent::connected, id, {}});
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        if (!p_->hungup[static_cast<size_t>(id)]) p_->events.push_back({netevent::disconnected, id, {}});
        p_->hungup[static_cast<size_t>(id)] = 0;
        break;
      case ENET_EVENT_TYPE_RECEIVE:
        if (!p_->hungup[static_cast<size_t>(id)] && p_->events.size() < maxqueued) {
          p_->events.push_back(
              {netevent::received, id, std::vector<uint8_t>(ev.packet->data, ev.packet->data + ev.packet->dataLength)});
        }
        enet_packet_destroy(ev.packet);
        break;
      case ENET_EVENT_TYPE_NONE:
        break;
    }
  }
  impl::servicing = nullptr;
}

bool enettransport::receive(netevent& out) {
  if (p_->events.empty()) return false;
  netevent& e = p_->events.front();
  out.what = e.what;
  out.peer = e.peer;
  out.data.swap(e.data);
  p_->events.pop_front();
  return true;
}

void enettransport::send(int id, const uint8_t* data, size_t size, bool reliable) {
  ENetPeer* peer = p_->peer(id);
  if (!peer || p_->hungup[static_cast<size_t>(id)] || peer->state != ENET_PEER_STATE_CONNECTED) return;
  ENetPacket* packet = enet_packet_create(data, size, reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
  if (!packet) return;
  if (enet_peer_send(peer, reliable ? reliablechannel : unreliablechannel, packet) != 0) {
    enet_packet_destroy(packet);
    return;
  }
  // Out now rather than at the next frame's service: a frame of delay saved.
  enet_host_flush(p_->host);
}

void enettransport::disconnect(int id) {
  ENetPeer* peer = p_->peer(id);
  if (!peer || p_->hungup[static_cast<size_t>(id)]) return;
  p_->hungup[static_cast<size_t>(id)] = 1;
  // Whatever is queued (a refusal, a departure) still goes first.
  enet_peer_disconnect_later(peer, 0);
  enet_host_flush(p_->host);
}

int enettransport::roundtrip(int id) const {
  const ENetPeer* peer = p_->peer(id);
  if (!peer || peer->state != ENET_PEER_STATE_CONNECTED) return -1;
  return static_cast<int>(peer->roundTripTime);
}

bool enettransport::whereis(int id, uint32_t& address, uint16_t& port) const {
  const ENetPeer* peer = p_->peer(id);
  if (!peer || peer->state != ENET_PEER_STATE_CONNECTED) return false;
  address = peer->address.host;
  port = peer->address.port;
  return true;
}

int enettransport::dial(uint32_t address, uint16_t port) {
  ENetAddress a;
  a.host = address;
  a.port = port;
  ENetPeer* peer = enet_host_connect(p_->host, &a, 2, 0);
  if (!peer) return -1;
  const int id = p_->id(peer);
  p_->hungup[static_cast<size_t>(id)] = 0;
  return id;
}

uint16_t enettransport::port() const { return p_->host->address.port; }

std::unique_ptr<enettransport> enettransport::unbound(std::string* why, const char* only) {
  if (!startenet()) {
    if (why) *why = "THE NETWORK COULD NOT BE STARTED";
    return nullptr;
  }
  ENetAddress here;
  here.host = ENET_HOST_ANY;
  here.port = 0;
  if (only && enet_address_set_host_ip(&here, only) != 0) {
    stopenet();
    if (why) *why = std::string("NO ADDRESS ") + only;
    return nullptr;
  }
  auto p = std::make_unique<impl>();
  // The host, the other joiners and a spare.
  p->host = enet_host_create(only ? &here : nullptr, maxmachines + 1, 2, 0, 0);
  if (!p->host) {
    stopenet();
    if (why) *why = "THE NETWORK COULD NOT BE STARTED";
    return nullptr;
  }
  p->limit();
  return std::unique_ptr<enettransport>(new enettransport(std::move(p)));
}

bool enettransport::resolve(const std::string& host, uint32_t& address) {
  if (!startenet()) return false;
  ENetAddress a;
  const bool ok = enet_address_set_host(&a, host.c_str()) == 0;
  stopenet();
  address = a.host;
  return ok;
}

linekind enettransport::route(int id) const {
  const ENetPeer* peer = p_->peer(id);
  if (!peer || peer->state != ENET_PEER_STATE_CONNECTED) return linekind::unknown;
  return p_->routes[static_cast<size_t>(id)];
}

void enettransport::markrelay(uint32_t address, uint16_t port) {
  // Few relays in one series; a hostile server cannot grow this far.
  if (p_->relays.size() < 16) p_->relays.push_back({address, port});
}

bool enettransport::receiveraw(uint32_t& address, uint16_t& port, std::vector<uint8_t>& data) {
  if (p_->raw.empty()) return false;
  rawdatagram& d = p_->raw.front();
  address = d.address;
  port = d.port;
  data.swap(d.data);
  p_->raw.pop_front();
  return true;
}

void enettransport::sendraw(uint32_t address, uint16_t port, const uint8_t* data, size_t size, int hops) {
  ENetAddress to;
  to.host = address;
  to.port = port;
  ENetBuffer buffer;
  buffer.data = const_cast<uint8_t*>(data);
  buffer.dataLength = size;
  const ENetSocket s = p_->host->socket;
  int was = 64;
  socklen_t len = sizeof was;
  // A short life lets the punch open this side's router and die before the
  // other side's router takes it for a stranger's.
  const bool shortlived = hops > 0 && getsockopt(s, IPPROTO_IP, IP_TTL, &was, &len) == 0 &&
                          setsockopt(s, IPPROTO_IP, IP_TTL, &hops, sizeof hops) == 0;
  enet_socket_send(s, &to, &buffer, 1);
  if (shortlived) setsockopt(s, IPPROTO_IP, IP_TTL, &was, sizeof was);
}

std::unique_ptr<lanfinder> lanfinder::open() {
  if (!startenet()) return nullptr;
  const ENetSocket s = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
  if (s == ENET_SOCKET_NULL) {
    stopenet();
    return nullptr;
  }
  enet_socket_set_option(s, ENET_SOCKOPT_NONBLOCK, 1);
  enet_socket_set_option(s, ENET_SOCKOPT_BROADCAST, 1);
  std::unique_ptr<lanfinder> f(new lanfinder());
  f->socket_ = s;
  return f;
}

lanfinder::~lanfinder() {
  if (socket_ < 0) return;
  enet_socket_destroy(socket_);
  stopenet();
}

void lanfinder::ask(const uint8_t* data, size_t size, uint16_t port) {
  ENetBuffer buffer;
  buffer.data = const_cast<uint8_t*>(data);
  buffer.dataLength = size;
  ENetAddress to;
  to.port = port;
  // Everyone on the local network, and this machine itself.
  to.host = ENET_HOST_BROADCAST;
  enet_socket_send(socket_, &to, &buffer, 1);
  enet_address_set_host_ip(&to, "127.0.0.1");
  enet_socket_send(socket_, &to, &buffer, 1);
}

bool lanfinder::heard(uint32_t& address, uint16_t& port, std::vector<uint8_t>& data) {
  uint8_t bytes[maxrawsize];
  ENetBuffer buffer;
  buffer.data = bytes;
  buffer.dataLength = sizeof bytes;
  ENetAddress from;
  const int n = enet_socket_receive(socket_, &from, &buffer, 1);
  if (n <= 0) return false;
  address = from.host;
  port = from.port;
  data.assign(bytes, bytes + n);
  return true;
}

}  // namespace online
