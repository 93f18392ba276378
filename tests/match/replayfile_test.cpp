// The replay file format: what is written comes back exactly, and a file
// that was cut, damaged or made by hand is refused with its cause named.
#include <gtest/gtest.h>

#include <string>

#include "online/netgame.h"
#include "replay/replayfile.h"

namespace {

replayrecord sample() {
  replayrecord r;
  r.version = gameversion;
  r.setup.mode = "levels";
  r.setup.level = 17;
  r.setup.custom.arenanum = 11;
  r.setup.multi.numplayers = 3;
  r.setup.xwin = 800;
  r.setup.ywin = 600;
  r.setup.fireworks = 1;
  r.setup.trail = 2;
  r.setup.wins[2] = 300;
  r.setup.startscore = 123456;
  r.setup.worstscore = 99;
  r.randomstate = 0x0123456789abcdefull;
  r.setup.startclock = 5000;
  r.startchecksum = 0xfeedfacecafebeefull;
  FrameInput f;
  f.clock = 5000;
  for (int k = 0; k < 300; k++) {
    // Ordinary steps, a long stall, and a clock that runs back once.
    f.clock += k == 100 ? 4000 : k == 200 ? -7 : 16 + k % 2;
    f.players[k % 4].keys = static_cast<uint8_t>(k % 16);
    f.players[1].stickx = static_cast<int8_t>(k % 255 - 127);
    f.players[3].sticky = -127;
    // Enter and R held over two frames, R pressed again between them.
    bool both = k % 50 <= 1;
    f.held = static_cast<uint16_t>(both ? buttonenter | buttonreplay : k % 7 == 0 ? button1 : 0);
    f.pressed = k % 50 == 0 ? buttonenter | buttonreplay : k % 50 == 1 ? buttonreplay : 0;
    f.typed = k % 33 == 0 ? static_cast<uint8_t>('A' + k % 26) : 0;
    r.frames.push_back(f);
  }
  r.winner = 2;
  r.endchecksum = 0x1122334455667788ull;
  return r;
}

bool same(const replayrecord& a, const replayrecord& b) {
  const matchsetup &s = a.setup, &t = b.setup;
  return a.version == b.version && s.mode == t.mode && s.level == t.level &&
         s.custom.arenanum == t.custom.arenanum && s.multi.numplayers == t.multi.numplayers &&
         s.xwin == t.xwin && s.ywin == t.ywin && s.fireworks == t.fireworks && s.trail == t.trail &&
         s.wins[2] == t.wins[2] && s.startscore == t.startscore && s.worstscore == t.worstscore &&
         a.randomstate == b.randomstate && s.startclock == t.startclock &&
         a.startchecksum == b.startchecksum && a.frames == b.frames && a.winner == b.winner &&
         a.endchecksum == b.endchecksum && a.checksumformat == b.checksumformat;
}

std::string refusal(const std::string& bytes) {
  replayrecord r;
  std::string error;
  if (decodereplay(bytes, &r, &error)) return "";
  return error;
}

// The bytes of r with the check value made right again, as a hand-made
// file would have it.
std::string resealed(std::string bytes) {
  bytes.resize(bytes.size() - 8);
  uint64_t h = hash64(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  for (int i = 0; i < 8; i++) bytes.push_back(static_cast<char>((h >> (8 * i)) & 0xff));
  return bytes;
}

TEST(ReplayFile, WhatIsWrittenComesBackExactly) {
  replayrecord r = sample();
  std::string bytes = encodereplay(r);
  replayrecord back;
  std::string error;
  ASSERT_TRUE(decodereplay(bytes, &back, &error)) << error;
  EXPECT_TRUE(same(r, back));
  // Quiet frames cost one byte each.
  replayrecord quiet;
  quiet.setup.mode = "custom";
  quiet.setup.level = 1;
  quiet.frames.resize(2000);
  for (size_t k = 0; k < quiet.frames.size(); k++) quiet.frames[k].clock = static_cast<int>(17 * k);
  EXPECT_LT(encodereplay(quiet).size(), 2200u);
  ASSERT_TRUE(decodereplay(encodereplay(quiet), &back, &error)) << error;
  EXPECT_TRUE(same(quiet, back));
}

TEST(ReplayFile, CutOrDamagedFilesAreRefused) {
  std::string bytes = encodereplay(sample());
  for (size_t n = 0; n < bytes.size(); n++) {
    std::string error = refusal(bytes.substr(0, n));
    ASSERT_NE(error, "") << "cut at " << n;
    ASSERT_EQ(error.rfind("not a playable replay: ", 0), 0u) << error;
  }
  for (size_t i = 0; i < bytes.size(); i++) {
    for (int bit : {0, 7}) {
      std::string damaged = bytes;
      damaged[i] = static_cast<char>(damaged[i] ^ (1 << bit));
      ASSERT_NE(refusal(damaged), "") << "byte " << i << " bit " << bit;
    }
  }
  EXPECT_EQ(refusal(bytes + "x"), "not a playable replay: it is damaged or cut short (its check "
                                  "value does not match)");
  EXPECT_EQ(refusal("hello world, this is text"), "not a playable replay: it is not a replay file");
  EXPECT_EQ(refusal(""), "not a playable replay: it is not a replay file");
  EXPECT_EQ(refusal(std::string(maxreplaybytes + 1, 'P')), "not a playable replay: it is too large");
}

TEST(ReplayFile, HandMadeFieldsOutOfRangeAreNamed) {
  struct tamper {
    void (*change)(replayrecord&);
    const char* cause;
  };
  const tamper cases[] = {
      {[](replayrecord& r) { r.setup.mode = "chess"; }, "its mode is out of range"},
      {[](replayrecord& r) { r.setup.level = 41; }, "its level is out of range"},
      {[](replayrecord& r) { r.setup.custom.numplayers = 7; },
       "its number of players is out of range"},
      {[](replayrecord& r) { r.setup.multi.speed = 0; }, "its speed is out of range"},
      {[](replayrecord& r) { r.setup.ywin = 20; }, "its window size is out of range"},
      // Only the sizes the options offer: a huge one would take a gigabyte.
      {[](replayrecord& r) { r.setup.xwin = r.setup.ywin = 8192; },
       "its window size is out of range"},
      {[](replayrecord& r) { r.setup.ywin = 768; }, "its window size is out of range"},
      {[](replayrecord& r) { r.setup.trail = 3; }, "its trail option is out of range"},
      {[](replayrecord& r) { r.setup.startscore = -5; }, "its score is out of range"},
      // More than winning every level before at once could carry in.
      {[](replayrecord& r) { r.setup.startscore = INT32_MAX; }, "its score is out of range"},
      {[](replayrecord& r) { r.setup.level = 3, r.setup.startscore = 90001; },
       "its score is out of range"},
      {[](replayrecord& r) { r.winner = 5; }, "its winner is out of range"},
      {[](replayrecord& r) { r.frames[3].held = 1 << 14; }, "its buttons are unknown"},
      {[](replayrecord& r) { r.frames[4].players[2].keys = 16; }, "a player's keys are unknown"},
      {[](replayrecord& r) {
         r.setup.mode = "online";
         r.frames[4].players[2].keys = 0x40;
       },
       "a player's keys are unknown"},
      {[](replayrecord& r) { r.frames[5].players[0].stickx = -128; }, "a stick is out of range"},
  };
  for (const tamper& t : cases) {
    replayrecord r = sample();
    t.change(r);
    EXPECT_EQ(refusal(encodereplay(r)), std::string("not a playable replay: ") + t.cause);
  }
  replayrecord best = sample();
  best.setup.level = 3;
  best.setup.startscore = 90000;
  EXPECT_EQ(refusal(encodereplay(best)), "");

  // A frame count larger than the bytes could hold is not believed.
  std::string bytes = encodereplay(sample());
  size_t count = 4 + 2 + 1 + std::string(gameversion).size() + 2 + 7 + 6 + 6 + 8 + 8 + 8 + 4 + 8;
  ASSERT_EQ(static_cast<uint8_t>(bytes[count]), 300 % 256);
  for (uint32_t lie : {301u, 0xffffffffu, 1u << 20}) {
    std::string forged = bytes;
    for (int i = 0; i < 4; i++) forged[count + i] = static_cast<char>((lie >> (8 * i)) & 0xff);
    EXPECT_NE(refusal(resealed(forged)), "") << lie;
  }
  // A format version of a later game is named as such, damaged or not.
  std::string future = bytes;
  const std::string newest = std::to_string(bytes[4]), next = std::to_string(bytes[4] + 1);
  future[4]++;
  EXPECT_EQ(refusal(future), "not a playable replay: its format version " + next +
                                 " is unknown (the newest is " + newest + ")");
}

// Online, for a machine that left; in any mode, for a player who played on
// without his controller.
TEST(ReplayFile, AMatchWithAManTheComputerPlaysComesBack) {
  for (const char* mode : {"online", "levels"}) {
    replayrecord r = sample();
    r.setup.mode = mode;
    r.setup.level = 1;
    r.setup.startscore = 0;
    for (size_t k = 150; k < r.frames.size(); k++)
      r.frames[k].players[3].keys |= online::inputcomputer;
    replayrecord back;
    std::string error;
    ASSERT_TRUE(decodereplay(encodereplay(r), &back, &error)) << error;
    EXPECT_TRUE(same(r, back));
  }
}

TEST(ReplayFile, ModeNamesRoundTrip) {
  for (int m = replaylevels; m <= replayonline; m++) EXPECT_EQ(replaymodeof(replaymodename(m)), m);
  EXPECT_EQ(replaymodeof("chess"), 0);
  EXPECT_STREQ(replaymodename(0), "");
}

}  // namespace
