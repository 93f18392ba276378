// The packet codec: what goes out comes back the same, keyboard inputs stay
// small, and every malformed packet is refused with a reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "online/packet.h"

using namespace online;

namespace {

std::vector<uint8_t> bytesof(const packet& p) {
  std::vector<uint8_t> out;
  encode(p, out);
  return out;
}

// A joiner's usual packet: acks for three streams and six frames of its one
// keyboard player, who changed keys once.
packet joinerinput() {
  packet p;
  p.type = packettype::input;
  p.base = 1234;
  p.advantage = -2;
  p.ackcount = 3;
  p.acks[0] = {1, 1235};
  p.acks[1] = {3, 1230};
  p.acks[2] = {4, 1236};
  p.blockcount = 1;
  inputblock& b = p.blocks[0];
  b.machine = 2;
  b.players = 1;
  b.start = 1231;
  b.count = 6;
  for (int k = 0; k < 6; k++) b.frames[k].players[0].keys = k < 4 ? inputleft : inputleft | inputup;
  b.frames[5].buttons = machinepause;
  return p;
}

packet startpacket() {
  packet p;
  p.type = packettype::start;
  p.seed = 0x0123456789abcdefull;
  p.delay = 2;
  p.settingslength = 3;
  p.settings[0] = 4;
  p.settings[1] = 11;
  p.settings[2] = 200;
  p.rostercount = 3;
  p.roster[0] = {1, 2, 0};
  p.roster[1] = {3, 1, 0};
  p.roster[2] = {2, 1, 0};
  return p;
}

std::string refusedbecause(std::vector<uint8_t> bytes) {
  packet p;
  std::string why;
  EXPECT_FALSE(decode(bytes.data(), bytes.size(), p, &why));
  return why;
}

TEST(Packet, EveryKindComesBackAsSent) {
  std::vector<packet> all;
  packet hello;
  hello.type = packettype::hello;
  hello.setversion("1.0");
  hello.bodyhash = 0xfeedfacecafebeefull;
  hello.players = 3;
  all.push_back(hello);
  packet roster;
  roster.type = packettype::roster;
  roster.rostercount = 2;
  roster.roster[0] = {1, 1, 0};
  roster.roster[1] = {4, 3, 65535};
  all.push_back(roster);
  all.push_back(startpacket());
  all.push_back(joinerinput());
  packet sticks = joinerinput();
  sticks.directmask = 1 << 3 | 1 << 4;
  sticks.blocks[0].players = 3;
  sticks.blocks[0].frames[2].players[2] = {inputright, -127, 0};
  sticks.blocks[0].frames[3].players[1] = {0, 90, -89};
  all.push_back(sticks);
  packet check;
  check.type = packettype::check;
  check.frame = 600;
  check.checksum = ~0ull;
  all.push_back(check);
  packet leave;
  leave.type = packettype::leave;
  leave.machine = 3;
  leave.frame = 0;
  all.push_back(leave);
  packet refuse;
  refuse.type = packettype::refuse;
  refuse.reason = refusal::version;
  refuse.setversion("1.2 beta");
  all.push_back(refuse);

  for (const packet& p : all) {
    const std::vector<uint8_t> bytes = bytesof(p);
    packet back;
    std::string why;
    ASSERT_TRUE(decode(bytes.data(), bytes.size(), back, &why)) << why;
    EXPECT_EQ(bytesof(back), bytes);
    EXPECT_EQ(back.type, p.type);
  }
  packet back;
  const std::vector<uint8_t> s = bytesof(sticks);
  ASSERT_TRUE(decode(s.data(), s.size(), back));
  EXPECT_EQ(back.acks[1].next, 1230);
  EXPECT_EQ(back.directmask, 1 << 3 | 1 << 4);
  EXPECT_EQ(back.blocks[0].start, 1231);
  EXPECT_EQ(back.advantage, -2);
  for (int k = 0; k < 6; k++) EXPECT_EQ(back.blocks[0].frames[k], sticks.blocks[0].frames[k]) << k;
  const std::vector<uint8_t> h = bytesof(hello);
  ASSERT_TRUE(decode(h.data(), h.size(), back));
  EXPECT_EQ(back.versionstring(), "1.0");
  EXPECT_EQ(back.bodyhash, hello.bodyhash);
  const std::vector<uint8_t> r = bytesof(refuse);
  ASSERT_TRUE(decode(r.data(), r.size(), back));
  EXPECT_EQ(back.versionstring(), "1.2 beta");

  // The joiner shows the host's version: only printable characters pass.
  std::vector<uint8_t> control = r;
  control[4] = '\n';
  EXPECT_EQ(refusedbecause(control), "the host's version is not printable");
}

TEST(Packet, KeyboardInputsStaySmall) {
  // Equal frames share one byte and a keyboard player sends no stick: six
  // frames with one change cost a handful of bytes.
  EXPECT_LE(bytesof(joinerinput()).size(), 21u);
}

TEST(Packet, EveryCutOfAValidPacketIsRefused) {
  for (const packet& p : {joinerinput(), startpacket()}) {
    const std::vector<uint8_t> bytes = bytesof(p);
    for (size_t n = 0; n < bytes.size(); n++) {
      packet back;
      EXPECT_FALSE(decode(bytes.data(), n, back)) << "cut at " << n;
    }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_EQ(refusedbecause(longer), "the packet has bytes left over");
  }
}

TEST(Packet, MalformedFieldsAreRefusedWithTheirReason) {
  std::vector<uint8_t> b = bytesof(joinerinput());
  b[0] = static_cast<uint8_t>((protocolversion + 1) << 4 | (b[0] & 15));
  EXPECT_EQ(refusedbecause(b), "the packet is from another protocol version");
  b = bytesof(joinerinput());
  b[0] = static_cast<uint8_t>(protocolversion << 4 | 15);
  EXPECT_EQ(refusedbecause(b), "the packet type is unknown");

  packet p = joinerinput();
  const std::vector<uint8_t> good = bytesof(p);
  // Layout: head, match, advantage, base (2 bytes), counts, 3 acks (2 bytes
  // each), block head, start, count, then runs.
  b = good;
  b[5] = 5 << 4 | 1;
  EXPECT_EQ(refusedbecause(b), "an input packet has too many parts");
  b = good;
  b[5] |= 0x80;
  b.insert(b.begin() + 6, 1);  // machine 0
  EXPECT_EQ(refusedbecause(b), "the direct lines name no machine");
  b = good;
  b[8] = 1;  // the second ack names the first's machine
  EXPECT_EQ(refusedbecause(b), "a machine is acknowledged twice");
  b = good;
  b[12] = 5 << 4 | 1;
  EXPECT_EQ(refusedbecause(b), "an input block names no machine");
  b = good;
  b[12] = 2 << 4 | 0;
  EXPECT_EQ(refusedbecause(b), "an input block has a wrong player count");
  b = good;
  b[14] = 33;
  EXPECT_EQ(refusedbecause(b), "an input block has a wrong frame count");
  b = good;
  b[15] = 7;  // a run of 8 in a block of 6
  EXPECT_EQ(refusedbecause(b), "a run of frames overflows its block");
  b = good;
  b[16] |= 0x20;
  EXPECT_EQ(refusedbecause(b), "a player's keys hold unknown bits");

  p = joinerinput();
  p.blocks[0].frames[0].players[0] = {0, 127, 127};  // a push of 1.4 full sticks
  b = bytesof(p);
  EXPECT_EQ(refusedbecause(b), "a stick is pushed beyond its reach");
  p = joinerinput();
  p.base = 3;
  p.blocks[0].start = -1;
  b = bytesof(p);
  EXPECT_EQ(refusedbecause(b), "an input block's frames are out of range");

  p = startpacket();
  p.roster[1].players = 3;  // 2 + 3 + 1 men
  EXPECT_EQ(refusedbecause(bytesof(p)), "a roster has too many men");
  p = startpacket();
  p.roster[2].machine = 3;
  EXPECT_EQ(refusedbecause(bytesof(p)), "a roster names a machine twice");
  p = startpacket();
  std::swap(p.roster[0], p.roster[1]);
  EXPECT_EQ(refusedbecause(bytesof(p)), "a roster does not start with the host");
  p = startpacket();
  p.rostercount = 1;
  EXPECT_EQ(refusedbecause(bytesof(p)), "a match needs two machines");
  b = bytesof(startpacket());
  b[9] = maxdelay + 1;
  EXPECT_EQ(refusedbecause(b), "the input delay is too long");
  b[9] = 2;
  b[10] = maxsettings + 1;
  EXPECT_EQ(refusedbecause(b), "the settings are too long");

  packet hello;
  hello.type = packettype::hello;
  hello.players = 1;
  b = bytesof(hello);
  b[1] = maxversion + 1;
  EXPECT_EQ(refusedbecause(b), "the version is too long");
  b = bytesof(hello);
  b.back() = 4;
  EXPECT_EQ(refusedbecause(b), "a machine brings a wrong number of players");

  packet check;
  check.type = packettype::check;
  check.frame = 5;
  b = bytesof(check);
  b[2] |= 0x80;
  b.insert(b.begin() + 3, 0);  // 5 spelt with a padding byte
  EXPECT_EQ(refusedbecause(b), "a number is padded");
  b = {static_cast<uint8_t>(protocolversion << 4 | static_cast<int>(packettype::check)), 0, 0xff, 0xff, 0xff,
       0xff, 0x0f};
  EXPECT_EQ(refusedbecause(b), "a frame number is out of range");
  b = {static_cast<uint8_t>(protocolversion << 4 | static_cast<int>(packettype::desync)), 0, 0xff, 0xff,
       0xff, 0xff, 0xff, 0x01};
  EXPECT_EQ(refusedbecause(b), "a number is too long");

  std::vector<uint8_t> huge(maxpacket + 1, 0);
  EXPECT_EQ(refusedbecause(huge), "the packet is too long");
  EXPECT_EQ(refusedbecause({}), "the packet is cut short");
}

}  // namespace
