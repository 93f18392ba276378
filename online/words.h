// Punches: the words two games send each other beside ENet, on the game's
// own socket, to open the routers on the way before ENet dials. A punch is
// answered by a punchback; both carry the pair's token from the meeting
// server, so a stranger's datagrams are told apart. Both have one size, so
// an answer is never bigger than what it answers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace online {

constexpr size_t wordsize = 16;

struct word {
  enum kind : uint8_t {
    punch = 'p',      // answered with a punchback
    punchback = 'b',  // the punch came through
  } what = punch;
  uint64_t token = 0;
};

// Whether a datagram carries the words' mark (then it is not ENet's).
bool ismarked(const uint8_t* data, size_t size);
void writeword(const word& w, uint8_t (&out)[wordsize]);
// False for anything that is not a whole, valid word.
bool readword(const uint8_t* data, size_t size, word& out);

}  // namespace online
