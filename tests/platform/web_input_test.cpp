// The browser's keys and gamepads in the game's terms (the web backend's
// rules, checked natively).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/web/web_input.h"

namespace {

struct Events : plat::InputSink {
  std::vector<std::string> seen;
  void KeyDown(int) override {}
  void KeyUp(int) override {}
  void TypedChar(int) override {}
  void CloseRequest() override {}
  void PadConnect(int pad, const std::string& name) override {
    seen.push_back("connect " + std::to_string(pad) + " " + name);
  }
  void PadDisconnect(int pad) override { seen.push_back("gone " + std::to_string(pad)); }
  void PadButton(int pad, int b, bool down) override {
    seen.push_back("button " + std::to_string(pad) + " " + std::to_string(b) + (down ? " down" : " up"));
  }
  void PadAxis(int pad, int a, float v) override {
    seen.push_back("axis " + std::to_string(pad) + " " + std::to_string(a) + " " + std::to_string(v));
  }
};

plat::PadSample Pad(const char* id, bool standard = true) {
  plat::PadSample s;
  s.connected = true;
  s.standard = standard;
  s.id = id;
  return s;
}

}  // namespace

TEST(WebInput, PhysicalKeysAndTypedCharacters) {
  EXPECT_EQ(plat::WebVirtualKey("KeyQ"), 'Q');
  EXPECT_EQ(plat::WebVirtualKey("Digit0"), '0');
  EXPECT_EQ(plat::WebVirtualKey("Numpad3"), 99);
  EXPECT_EQ(plat::WebVirtualKey("NumpadEnter"), 13);
  EXPECT_EQ(plat::WebVirtualKey("ArrowDown"), 40);
  EXPECT_EQ(plat::WebVirtualKey("ShiftLeft"), 0);
  EXPECT_EQ(plat::WebVirtualKey("Keyq"), 0);
  EXPECT_EQ(plat::TypedCodePoint("w"), 'w');
  EXPECT_EQ(plat::TypedCodePoint("\xC3\xA9"), 0xE9);
  EXPECT_EQ(plat::TypedCodePoint("Enter"), 0);
  EXPECT_EQ(plat::TypedCodePoint("\xC3"), 0);  // cut short
  EXPECT_EQ(plat::TypedCodePoint(""), 0);
}

TEST(WebInput, PadsTakeTheLowestFreeNumberAndReportChanges) {
  plat::PadSlots slots;
  Events e;
  plat::PadSample a = Pad("pad A"), b = Pad("pad B");
  slots.Update(0, Pad("odd", false), e);  // no known layout: left alone
  slots.Update(2, a, e);
  slots.Update(5, b, e);
  b.buttons[0] = 1;    // A
  b.buttons[7] = 0.75f;  // right trigger
  b.axes[1] = -2;      // past the end of its travel
  slots.Update(5, b, e);
  slots.Update(2, plat::PadSample(), e);  // A unplugged
  slots.Update(7, Pad("pad C"), e);       // takes A's number
  EXPECT_EQ(e.seen, (std::vector<std::string>{
                        "connect 1 pad A", "connect 2 pad B", "button 2 0 down",
                        "axis 2 1 -1.000000", "axis 2 5 0.750000", "gone 1", "connect 1 pad C"}));
}
