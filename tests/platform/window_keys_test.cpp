// The window's keys and typed text, as the game hears them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/window/key_events.h"
#include "platform/window/keymap.h"

namespace plat {
namespace {

// Scancodes are USB usage numbers, fixed by SDL's ABI.
TEST(WindowKeys, PhysicalKeysMapToVirtualKeys) {
  const int pairs[][2] = {
      {4, 'A'}, {29, 'Z'}, {30, '1'},   {39, '0'},  // 0 comes after 9 among scancodes
      {40, 13}, {88, 13},                           // both Enter keys confirm
      {41, 27}, {44, 32},  {80, 37},    {82, 38},
      {79, 39}, {81, 40},  {89, 97},    {98, 96},  // keypad 1, keypad 0
      {76, 46}, {58, 0},  {-5, 0},     {100000, 0},  // Delete; F1 and nonsense: ignored
  };
  for (const auto& p : pairs) EXPECT_EQ(VirtualKeyForScancode(p[0]), p[1]) << p[0];
}

TEST(WindowText, DecodesUtf8AndReplacesMalformedBytes) {
  EXPECT_EQ(DecodeUtf8("Ab 1"), (std::vector<int>{'A', 'b', ' ', '1'}));
  EXPECT_EQ(DecodeUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
            (std::vector<int>{0xE9, 0x20AC, 0x1F600}));
  const int bad = 0xFFFD;
  EXPECT_EQ(DecodeUtf8("\x80x"), (std::vector<int>{bad, 'x'}));              // stray continuation
  EXPECT_EQ(DecodeUtf8("\xE2\x82"), (std::vector<int>{bad, bad}));           // cut short
  EXPECT_EQ(DecodeUtf8("\xC0\x80"), (std::vector<int>{bad, bad}));           // overlong NUL
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), (std::vector<int>{bad, bad, bad}));  // surrogate
  EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80"), (std::vector<int>(4, bad)));     // past U+10FFFF
  EXPECT_EQ(DecodeUtf8("\xC3"
                       "A"),
            (std::vector<int>{bad, 'A'}));  // resynchronises
  EXPECT_TRUE(DecodeUtf8("").empty());
}

// Records what the game would hear, as one string per call.
struct SinkLog : InputSink {
  std::vector<std::string> calls;
  void KeyDown(int vk) override { calls.push_back("down " + std::to_string(vk)); }
  void KeyUp(int vk) override { calls.push_back("up " + std::to_string(vk)); }
  void TypedChar(int code) override { calls.push_back("char " + std::to_string(code)); }
  void CloseRequest() override { calls.push_back("close"); }
};

TEST(WindowKeys, RepeatsAreNotPressesButBackspaceKeepsTyping) {
  KeyEvents keys;
  SinkLog log;
  const int a = 4, backspace = 42, del = 76, f1 = 58;
  keys.Key(a, true, false, log);
  keys.Key(a, true, true, log);  // auto-repeat
  keys.Key(a, false, false, log);
  keys.Key(a, false, false, log);  // a release with nothing down
  keys.Key(backspace, true, false, log);
  keys.Key(backspace, true, true, log);
  keys.Key(backspace, false, false, log);
  keys.Key(del, true, false, log);
  keys.Key(f1, true, false, log);  // not the game's: some other key
  keys.Key(f1, false, false, log);
  keys.Key(0, true, false, log);  // no key at all
  EXPECT_EQ(log.calls, (std::vector<std::string>{"down 65", "up 65", "char 8", "down 8", "char 8",
                                                 "up 8", "char 127", "down 46", "down 255",
                                                 "up 255"}));  // Delete is a key of its own too
}

TEST(WindowKeys, LosingFocusReleasesHeldKeysOnce) {
  KeyEvents keys;
  SinkLog log;
  keys.Key(80, true, false, log);  // left arrow
  keys.Key(26, true, false, log);  // W
  keys.FocusLost(log);
  keys.Key(80, false, false, log);  // the late release finds nothing held
  EXPECT_EQ(log.calls, (std::vector<std::string>{"down 37", "down 87", "up 37", "up 87"}));
}

}  // namespace
}  // namespace plat
