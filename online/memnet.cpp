#include "online/memnet.h"

namespace online {

memnetwork::endpoint& memnetwork::add() {
  auto e = std::make_unique<endpoint>();
  e->net_ = this;
  e->number_ = static_cast<int>(endpoints_.size());
  endpoints_.push_back(std::move(e));
  for (auto& row : links_) row.push_back(0);
  links_.emplace_back(endpoints_.size(), 0);
  return *endpoints_.back();
}

void memnetwork::connect(int a, int b) {
  links_[a][b] = links_[b][a] = 1;
  at(a).inbox_.push_back({netevent::connected, b, {}});
  at(b).inbox_.push_back({netevent::connected, a, {}});
}

void memnetwork::cut(int a, int b) { links_[a][b] = links_[b][a] = 2; }

bool memnetwork::linked(int a, int b) const {
  return a >= 0 && b >= 0 && a < static_cast<int>(links_.size()) &&
         b < static_cast<int>(links_.size()) && links_[a][b] == 1;
}

bool memnetwork::endpoint::receive(netevent& out) {
  if (inbox_.empty()) return false;
  arrival& a = inbox_.front();
  out.what = a.what;
  out.peer = a.from;
  out.data.swap(a.data);
  inbox_.pop_front();
  return true;
}

void memnetwork::endpoint::send(int peer, const uint8_t* data, size_t size, bool) {
  if (!net_->linked(number_, peer)) return;
  net_->at(peer).inbox_.push_back({netevent::received, number_, std::vector<uint8_t>(data, data + size)});
}

void memnetwork::endpoint::disconnect(int peer) {
  if (!net_->linked(number_, peer)) return;
  net_->links_[number_][peer] = net_->links_[peer][number_] = 0;
  net_->at(peer).inbox_.push_back({netevent::disconnected, number_, {}});
}

bool memnetwork::endpoint::whereis(int peer, uint32_t& address, uint16_t& port) const {
  if (!net_->linked(number_, peer)) return false;
  address = static_cast<uint32_t>(peer);
  port = 0;
  return true;
}

int memnetwork::endpoint::dial(uint32_t address, uint16_t) {
  const int n = static_cast<int>(address);
  if (address >= net_->endpoints_.size() || n == number_ || net_->links_[number_][n] == 2) return -1;
  net_->connect(number_, n);
  return n;
}

int memnetwork::endpoint::roundtrip(int peer) const { return net_->linked(number_, peer) ? 0 : -1; }

}  // namespace online
