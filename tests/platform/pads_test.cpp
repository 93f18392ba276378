// Controllers in the core: the keys their buttons stand for in each mode,
// the directions they point, and the script lines that play them.
#include "platform/pads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "platform/platform.h"
#include "platform/script.h"

namespace {

class Pads : public ::testing::Test {
 protected:
  plat::KeyState keys;
  plat::PadState pads;
  int presses(int key) { return keys.TakePresses(key); }
};

TEST_F(Pads, InMenusTheyAreArrowsEnterAndEsc) {
  pads.Connect(2, "P", keys);
  pads.Button(2, padbuttona, true, keys);
  pads.Button(2, padbuttonstart, true, keys);  // Enter again while held: one press
  pads.Button(2, padbuttona, false, keys);
  EXPECT_TRUE(keys.Held(keyenter));  // Start still holds it
  pads.Button(2, padbuttonstart, false, keys);
  EXPECT_FALSE(keys.Held(keyenter));
  EXPECT_EQ(presses(keyenter), 1);
  pads.Button(2, padbuttonb, true, keys);
  pads.Button(2, padbuttonb, false, keys);
  pads.Button(2, padbuttonback, true, keys);
  EXPECT_EQ(presses(keyesc), 2);
  pads.Button(2, padbuttondown, true, keys);
  pads.Axis(2, padaxislefty, 0.9f, keys);  // the same direction twice: one press
  EXPECT_EQ(presses(keydown), 1);
  pads.Axis(2, padaxisleftx, -0.6f, keys);
  EXPECT_EQ(presses(keyleft), 1);
  EXPECT_EQ(pads.TakeNavPresses(2, padnavdown), 1);
  EXPECT_EQ(pads.TakeNavPresses(2, padnavleft), 1);
  EXPECT_EQ(pads.TakeNavPresses(2, padnavup), 0);
  // Unplugged: whatever it held is let go.
  pads.Disconnect(2, keys);
  EXPECT_FALSE(keys.Held(keydown));
  EXPECT_FALSE(keys.Held(keyleft));
  EXPECT_FALSE(keys.Held(keyesc));
}

TEST_F(Pads, InAMatchBIsNothingAndTheStickNoArrow) {
  pads.Connect(1, "P", keys);
  pads.SetKeyMode(padkeysmatch, keys);
  pads.Button(1, padbuttonb, true, keys);
  pads.Axis(1, padaxisleftx, 1.0f, keys);
  pads.Button(1, padbuttonup, true, keys);
  for (int k = 0; k < plat::KeyState::kKeys; k++) EXPECT_FALSE(keys.Held(k)) << k;
  EXPECT_EQ(pads.TakeNavPresses(1, padnavright), 1);  // still a direction for the name prompt
  pads.Button(1, padbuttonstart, true, keys);
  pads.Button(1, padbuttonback, true, keys);
  pads.Button(1, padbuttonx, true, keys);
  pads.Button(1, padbuttona, true, keys);
  EXPECT_TRUE(keys.Held(keypause));
  EXPECT_TRUE(keys.Held(keyesc));
  EXPECT_TRUE(keys.Held('R'));
  EXPECT_TRUE(keys.Held(keyenter));
  // A change of mode lets go of the old keys and holds the new ones.
  pads.SetKeyMode(padkeysnone, keys);
  EXPECT_FALSE(keys.Held(keypause));
  EXPECT_FALSE(keys.Held(keyenter));
  presses(keyenter);
  pads.SetKeyMode(padkeysmenu, keys);
  EXPECT_TRUE(keys.Held(keyenter));
  EXPECT_EQ(presses(keyenter), 1);  // held anew
  pads.SetKeyMode(padkeysmatch, keys);
  EXPECT_TRUE(keys.Held(keyenter));
  EXPECT_EQ(presses(keyenter), 0);  // A is Enter in both: no new press
  EXPECT_FALSE(keys.Held(keyright));
  pads.SetKeyMode(padkeysmenu, keys);
  EXPECT_TRUE(keys.Held(keyright));
  EXPECT_TRUE(keys.Held(keyup));
}

TEST_F(Pads, AStickNearTheThresholdDoesNotChatter) {
  pads.Connect(1, "P", keys);
  for (float y : {-0.45f, -0.55f, -0.35f, -0.52f, -0.31f, -0.6f, -0.29f, -0.51f}) {
    pads.Axis(1, padaxislefty, y, keys);
  }
  // In past 0.5 at -0.55, out only at -0.29, in again at -0.51.
  EXPECT_EQ(pads.TakeNavPresses(1, padnavup), 2);
}

TEST_F(Pads, OutOfRangeValuesAndUnknownPadsAreHarmless) {
  pads.Connect(1, "Pad\x1b[2J", keys);  // a name from a mappings file
  EXPECT_EQ(pads.Name(1), "Pad?[2J");
  pads.Axis(1, padaxisleftx, 7.0f, keys);
  EXPECT_EQ(pads.AxisValue(1, padaxisleftx), 1.0f);
  pads.Axis(1, padaxislefttrigger, -1.0f, keys);
  EXPECT_EQ(pads.AxisValue(1, padaxislefttrigger), 0.0f);
  pads.Axis(1, padaxislefty, NAN, keys);
  EXPECT_EQ(pads.AxisValue(1, padaxislefty), 0.0f);
  for (int pad : {-1, 0, 9, 1000}) {
    pads.Connect(pad, "X", keys);
    pads.Button(pad, padbuttona, true, keys);
    EXPECT_FALSE(pads.Connected(pad));
  }
  pads.Button(1, 15, true, keys);
  pads.Button(1, -1, true, keys);
  pads.Axis(1, 6, 1.0f, keys);
  pads.Button(3, padbuttona, true, keys);  // not plugged in
  EXPECT_FALSE(keys.Held(keyenter));
  EXPECT_EQ(pads.FreeNumber(), 2);
}

TEST_F(Pads, EveryConnectionHasANewNumber) {
  pads.Connect(1, "P", keys);
  const uint32_t first = pads.Connection(1);
  pads.Disconnect(1, keys);
  EXPECT_EQ(pads.Connection(1), first);  // still the number it had
  pads.Connect(1, "P", keys);
  EXPECT_GT(pads.Connection(1), first);
  plat::PadState other;
  other.Connect(1, "P", keys);
  EXPECT_GT(other.Connection(1), pads.Connection(1));
}

std::string ParseError(const std::string& text) {
  plat::Script s;
  std::string error;
  EXPECT_FALSE(s.Parse("t", text, &error)) << text;
  return error;
}

// Records the controller calls a script makes.
struct PadLog : plat::InputSink {
  std::vector<std::string> calls;
  void KeyDown(int) override {}
  void KeyUp(int) override {}
  void TypedChar(int) override {}
  void CloseRequest() override {}
  void PadConnect(int pad, const std::string& name) override {
    calls.push_back("connect " + std::to_string(pad) + " " + name);
  }
  void PadDisconnect(int pad) override { calls.push_back("disconnect " + std::to_string(pad)); }
  void PadButton(int pad, int b, bool down) override {
    calls.push_back((down ? "down " : "up ") + std::to_string(pad) + " " + std::to_string(b));
  }
  void PadAxis(int pad, int axis, float v) override {
    char buf[64];
    snprintf(buf, sizeof buf, "axis %d %d %g", pad, axis, v);
    calls.push_back(buf);
  }
};

TEST(PadScript, LinesBecomeControllerCallsInFrameOrder) {
  plat::Script s;
  std::string error;
  ASSERT_TRUE(s.Parse("t",
                      "1 pad 3 connect\n"
                      "1 pad 04 connect\n"
                      "1 pad 08 connect  My  Pad \n"
                      "2 pad 3 press dpleft\n"
                      "2 pad 3 axis lefty -0.75\n"
                      "3 pad 8 axis righttrigger 1\n"
                      "3 pad 3 disconnect\n",
                      &error))
      << error;
  plat::KeyState keys;
  PadLog log;
  std::vector<std::string> shots;
  EXPECT_FALSE(s.ApplyUpTo(0, keys, log, &shots));
  EXPECT_TRUE(s.ApplyUpTo(3, keys, log, &shots));
  EXPECT_EQ(log.calls, (std::vector<std::string>{"connect 3 Script Pad 3", "connect 4 Script Pad 4",
                                                 "connect 8 My  Pad", "down 3 13", "axis 3 1 -0.75",
                                                 "up 3 13", "axis 8 5 1", "disconnect 3"}));
}

TEST(PadScript, BadLinesNameTheirFault) {
  EXPECT_NE(ParseError("1 pad 0 connect").find("line 1: pad needs a controller number"),
            std::string::npos);
  EXPECT_NE(ParseError("1 pad 9 connect").find("from 1 to 8"), std::string::npos);
  EXPECT_NE(ParseError("1 pad x connect").find("from 1 to 8"), std::string::npos);
  EXPECT_NE(ParseError("1 pad 1").find("unknown controller action"), std::string::npos);
  EXPECT_NE(ParseError("1 pad 1 jump").find("unknown controller action \"jump\""),
            std::string::npos);
  EXPECT_NE(ParseError("1 pad 1 down z").find("unknown controller button \"z\""),
            std::string::npos);
  EXPECT_NE(ParseError("1 pad 1 press").find("unknown controller button"), std::string::npos);
  EXPECT_NE(ParseError("1 pad 1 disconnect now").find("no argument"), std::string::npos);
  EXPECT_NE(ParseError("1 pad 1 axis leftz 1").find("unknown controller axis"), std::string::npos);
  for (const char* bad :
       {"1 pad 1 axis leftx 1.5", "1 pad 1 axis leftx", "1 pad 1 axis leftx 1e0",
        "1 pad 1 axis lefttrigger -0.5", "1 pad 1 axis leftx 0.5 0.5", "1 pad 1 axis leftx nan",
        "1 pad 1 axis leftx -", "1 pad 1 axis leftx 1..0"})
    EXPECT_NE(ParseError(bad).find("needs one value"), std::string::npos) << bad;
  EXPECT_NE(ParseError("5 pad 1 connect\n4 pad 1 disconnect").find("line 2"), std::string::npos);
}

}  // namespace
