#include "app/menus.h"

#include "app/game.h"
#include "shellrun.h"

namespace {

// Scripts one key press per frame, starting after the first flip.
std::string Presses(const std::vector<std::string>& keys) {
  std::string script;
  long frame = 1;
  for (const std::string& key : keys) {
    script += std::to_string(frame) + " press " + key + "\n";
    frame += 2;
  }
  return script;
}

class Menus : public ShellRun {
 protected:
  void Open(const std::string& script) {
    Start(script);
    ASSERT_TRUE(OpenDisplay(1024, 768, 0, 60, 0));
  }
};

TEST_F(Menus, InitialLevelStepsByFiveUpToTheUnlockedLevel) {
  struct Case {
    int maxinitiallevel;
    std::vector<std::string> keys;
    int expected;
  };
  const Case cases[] = {
      {1, {"DOWN", "RIGHT", "UP", "ENTER"}, 1},
      {11, {"DOWN", "RIGHT", "RIGHT", "RIGHT", "UP", "ENTER"}, 11},
      {11, {"DOWN", "RIGHT", "UP", "ENTER"}, 6},
      // A hand-edited maximum off the 5k + 1 steps is still the ceiling.
      {13, {"DOWN", "RIGHT", "RIGHT", "RIGHT", "UP", "ENTER"}, 13},
      {13, {"DOWN", "RIGHT", "RIGHT", "RIGHT", "LEFT", "UP", "ENTER"}, 8},
      // Below 1 the menu still offers level 1.
      {0, {"DOWN", "LEFT", "UP", "ENTER"}, 1},
      // Right on "PLAY" does nothing, now or later.
      {36, {"RIGHT", "DOWN", "UP", "ENTER"}, 1},
  };
  for (const Case& c : cases) {
    Open(Presses(c.keys));
    int initiallevel = 1;
    EXPECT_EQ(levelsmenu(initiallevel, c.maxinitiallevel, 1024, 768), 1);
    EXPECT_EQ(initiallevel, c.expected) << "maxinitiallevel " << c.maxinitiallevel;
    Stop();
  }
}

TEST_F(Menus, LevelsMenuEnterOnTheLevelLineDoesNotPlay) {
  Open(Presses({"DOWN", "ENTER", "UP", "ESC"}));
  int initiallevel = 6;
  EXPECT_EQ(levelsmenu(initiallevel, 11, 1024, 768), 0);
  EXPECT_EQ(initiallevel, 6);
}

TEST_F(Menus, CustomMenuWrapsClampsAndKeepsEditsOnEsc) {
  // Up from "PLAY" lands on "ARENA= ", Down from there back on "PLAY".
  Open(Presses({"UP", "LEFT", "DOWN", "DOWN", "RIGHT", "RIGHT", "RIGHT", "DOWN", "DOWN", "LEFT",
                "LEFT", "LEFT", "LEFT", "LEFT", "LEFT", "LEFT", "ESC"}));
  Tcustomsettings s;
  EXPECT_EQ(custommenu(s, 1024, 768), 0);
  EXPECT_EQ(s.arenanum, 1);    // 1 - 1 clamped to 1
  EXPECT_EQ(s.numplayers, 4);  // 2 + 3 clamped to 4
  EXPECT_EQ(s.AIlevel, 0);     // 5 - 7 clamped to 0
  EXPECT_EQ(s.speed, 6);
  const std::vector<std::string> trace = TraceLines();
  EXPECT_FALSE(IsGrey(LastLabel(trace, "AI LEVEL= 0")));
  EXPECT_TRUE(IsGrey(LastLabel(trace, "PLAY")));
  EXPECT_EQ(LastLabel(trace, "ARENA= 1").y, 190 + 8 * 50);
}

TEST_F(Menus, CustomMenuPlaysFromThePlayItemOnly) {
  Open(Presses({"DOWN", "ENTER", "UP", "SPACE"}));
  Tcustomsettings s;
  EXPECT_EQ(custommenu(s, 1024, 768), 1);
}

TEST_F(Menus, MultiplayerMenuHasItsOwnRanges) {
  Open(Presses({"DOWN", "RIGHT", "RIGHT", "UP", "UP", "UP", "UP", "RIGHT", "RIGHT", "DOWN", "DOWN",
                "DOWN", "ENTER"}));
  Tmultiplayersettings s;
  ColorTable colors = MakeColorTable(10, 0.0f);
  ColorTable adders = MakeColorTable(10, 2.0f);
  EXPECT_EQ(multiplayermenu(s, 1024, 768, colors, adders), 1);
  EXPECT_EQ(s.numplayers, 3);
  EXPECT_EQ(s.arenanum, 3);  // item 7, reached by wrapping up from "PLAY" past the online items
  const std::vector<std::string> trace = TraceLines();
  EXPECT_EQ(LastLabel(trace, "MULTIPLAYER").y, 50);
  EXPECT_EQ(LastLabel(trace, "NUMBER OF PLAYERS= 3").y, 220 + 2 * 50);
  EXPECT_EQ(LastLabel(trace, "HOST ONLINE GAME").y, 220 + 8 * 50);
  EXPECT_EQ(LastLabel(trace, "JOIN ONLINE GAME").y, 220 + 9 * 50);
}

TEST_F(Menus, MultiplayerMenuLeadsOnline) {
  // Left and Right on the online items change no setting.
  const struct {
    std::vector<std::string> keys;
    int expected;
  } cases[] = {{{"UP", "UP", "LEFT", "ENTER"}, 2}, {{"UP", "RIGHT", "SPACE"}, 3}, {{"ESC"}, 0}};
  for (const auto& c : cases) {
    Open(Presses(c.keys));
    Tmultiplayersettings s;
    ColorTable colors = MakeColorTable(10, 0.0f);
    ColorTable adders = MakeColorTable(10, 0.0f);
    EXPECT_EQ(multiplayermenu(s, 1024, 768, colors, adders), c.expected);
    EXPECT_EQ(s.arenanum, 1);
    EXPECT_EQ(s.gravity, 0);
    Stop();
  }
}

TEST_F(Menus, SinglePlayerMenuChoices) {
  const struct {
    std::vector<std::string> keys;
    int expected;
  } cases[] = {{{"ENTER"}, 1}, {{"DOWN", "SPACE"}, 2}, {{"UP", "UP", "ENTER"}, 1}, {{"ESC"}, -100}};
  for (const auto& c : cases) {
    Open(Presses(c.keys));
    ColorTable colors = MakeColorTable(10, 0.0f);
    ColorTable adders = MakeColorTable(10, 0.0f);
    EXPECT_EQ(singleplayermenu(1024, 768, colors, adders), c.expected);
    Stop();
  }
}

TEST_F(Menus, MusicOnlyTouchesARealChannel) {
  Start("");
  std::array<Sound*, 4> musics{};
  musics[0] = LoadSoundFile("media/tutto.ogg", 0);
  ASSERT_NE(musics[0], nullptr);
  Channel* channel = AllocChannel();
  playmusic(musics, channel, 0.5);
  stopmusic(channel);
  stopmusic(nullptr);
  std::vector<std::string> calls;
  for (const std::string& line : TraceLines()) {
    if (line.rfind("sound ", 0) == 0) calls.push_back(line);
  }
  const std::vector<std::string> expected = {"sound load tutto.ogg", "sound prepare 1 tutto.ogg",
                                             "sound volume 1 0.5", "sound resume 1",
                                             "sound stop 1"};
  EXPECT_EQ(calls, expected);
}

}  // namespace
