// A web page has no UDP sockets: the browser build's transport never opens.
// The menus leave online play out there; this keeps the rest linking.
#include "online/enet_transport.h"

namespace online {

struct enettransport::impl {};

namespace {
const char kNoUdp[] = "online play needs UDP, which a web browser does not offer";
}  // namespace

std::unique_ptr<enettransport> enettransport::listen(uint16_t, std::string* why, const char*) {
  if (why) *why = kNoUdp;
  return nullptr;
}

std::unique_ptr<enettransport> enettransport::join(const std::string&, uint16_t, std::string* why,
                                                   const char*) {
  if (why) *why = kNoUdp;
  return nullptr;
}

enettransport::enettransport(std::unique_ptr<impl> p) : p_(std::move(p)) {}
enettransport::~enettransport() = default;
void enettransport::service(uint32_t) {}
bool enettransport::receive(netevent&) { return false; }
void enettransport::send(int, const uint8_t*, size_t, bool) {}
void enettransport::disconnect(int) {}
int enettransport::roundtrip(int) const { return 0; }
bool enettransport::whereis(int, uint32_t&, uint16_t&) const { return false; }
int enettransport::dial(uint32_t, uint16_t) { return -1; }
uint16_t enettransport::port() const { return 0; }

}  // namespace online
