// The window backend's controllers: a script's pad is a virtual joystick in
// SDL's controller subsystem, and what SDL reports of it comes back to the
// game in the standard layout's numbers and ranges.
#include "platform/window/pad_devices.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace plat {
namespace {

struct Heard : InputSink {
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
    std::snprintf(buf, sizeof buf, "axis %d %d %.3f", pad, axis, v);
    calls.push_back(buf);
  }
};

std::vector<std::string> Events(PadDevices& pads) {
  Heard heard;
  SDL_Event e;
  while (SDL_PollEvent(&e)) pads.Handle(e, heard);
  return heard.calls;
}

TEST(PadDevices, AScriptedPadTravelsThroughTheControllerSubsystem) {
  PadDevices pads;
  if (!pads.Start({"/nonexistent/gamecontrollerdb.txt"})) GTEST_SKIP() << "no controller subsystem";
  pads.PadConnect(3, "Test Pad");
  pads.PadButton(3, 14, true);  // held before the game opened it
  EXPECT_EQ(Events(pads), (std::vector<std::string>{"connect 3 Test Pad", "down 3 14"}));
  pads.PadAxis(3, 0, -1.0f);
  pads.PadAxis(3, 1, 0.5f);
  pads.PadAxis(3, 4, 1.0f);
  pads.PadAxis(3, 5, 0.5f);
  pads.PadButton(3, 0, true);
  pads.PadButton(3, 0, false);
  pads.PadButton(3, 0, true);  // released and pressed in one frame: both heard
  EXPECT_EQ(Events(pads),
            (std::vector<std::string>{"axis 3 0 -1.000", "axis 3 1 0.500", "axis 3 4 1.000",
                                      "axis 3 5 0.500", "down 3 0", "up 3 0", "down 3 0"}));
  pads.PadDisconnect(3);
  // SDL lets go of everything first; the game would do so anyway.
  const std::vector<std::string> gone = Events(pads);
  ASSERT_FALSE(gone.empty());
  EXPECT_EQ(gone.back(), "disconnect 3");
  for (const std::string& call : gone) EXPECT_EQ(call.find("down"), std::string::npos) << call;
  pads.PadButton(3, 0, true);  // gone: nothing
  EXPECT_TRUE(Events(pads).empty());
}

// Mappings for pads SDL does not know come from SDL_GAMECONTROLLERCONFIG
// and from the gamecontrollerdb.txt files that exist; a file with junk in it
// spoils nothing.
TEST(PadDevices, ExtraMappingsComeFromTheEnvironmentAndFiles) {
  const std::string file = "/tmp/parvane-pads-" + std::to_string(getpid()) + ".txt";
  FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs(
      "# mappings\nnot a mapping\n"
      "030000000000000000000000000a0b0c,File Pad,a:b0,b:b1,leftx:a0,lefty:a1,platform:Linux,\n",
      f);
  std::fclose(f);
  setenv("SDL_GAMECONTROLLERCONFIG",
         "030000000000000000000000000d0e0f,Env Pad,a:b1,b:b0,leftx:a0,lefty:a1,", 1);
  {
    PadDevices pads;
    if (!pads.Start({"/nonexistent/gamecontrollerdb.txt", file})) GTEST_SKIP();
    for (const char* guid :
         {"030000000000000000000000000a0b0c", "030000000000000000000000000d0e0f"}) {
      char* mapping = SDL_GameControllerMappingForGUID(SDL_JoystickGetGUIDFromString(guid));
      EXPECT_NE(mapping, nullptr) << guid;
      SDL_free(mapping);
    }
  }
  unsetenv("SDL_GAMECONTROLLERCONFIG");
  std::remove(file.c_str());
}

}  // namespace
}  // namespace plat
