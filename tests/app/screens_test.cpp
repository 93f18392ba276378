// The title, options, help and scores screens driven through scripted keys.
#include "app/game.h"
#include "shellrun.h"

namespace {

class Screens : public ShellRun {
 protected:
  // A game with its display open at resolution option `res` (1..3).
  void Open(game& g, const std::string& script, int res = 3) {
    Start(script);
    g.changeres(0, res, 0);
  }
};

TEST_F(Screens, TitleItemsScaleWithTheWidthAlone) {
  const struct {
    int res;
    double quity, scale;
  } cases[] = {{1, 337.5, 0.375}, {2, 421.875, 0.46875}, {3, 540, 0.6}};
  for (const auto& c : cases) {
    game g;
    Open(g, "1 press ENTER\n", c.res);
    EXPECT_EQ(g.startscreen(1), 1);
    const double width = LabelWidth("QUIT");
    const std::vector<std::string> trace = TraceLines();
    const LabelLine quit = LastLabel(trace, "QUIT");
    EXPECT_DOUBLE_EQ(quit.y, c.quity);
    EXPECT_DOUBLE_EQ(quit.scale, c.scale);
    EXPECT_TRUE(IsGrey(quit));
    EXPECT_NEAR(quit.x, (g.xwin - width * c.scale) / 2, 0.01);
    EXPECT_FALSE(IsGrey(LastLabel(trace, "SINGLE PLAYER")));
    EXPECT_DOUBLE_EQ(LastLabel(trace, "PARVANE").y, 50.0 * g.xwin / 1024);
  }
}

TEST_F(Screens, TitleSelectionWrapsBothWays) {
  game g;
  Open(g, "1 press UP\n3 press ENTER\n5 press DOWN\n7 press SPACE\n");
  EXPECT_EQ(g.startscreen(1), 6);
  EXPECT_EQ(g.startscreen(6), 1);
}

TEST_F(Screens, TitleReopensOnTheItemItWasGiven) {
  game g;
  Open(g, "2 press ENTER\n");
  EXPECT_EQ(g.startscreen(4), 4);
  int highlighted = 0;
  for (const LabelLine& l : Labels(TraceLines())) {
    if (!IsGrey(l) && l.text != "PARVANE") {
      EXPECT_EQ(l.text, "SCORES");
      highlighted++;
    }
  }
  EXPECT_EQ(highlighted, 2);
}

TEST_F(Screens, EscOnTheTitleEndsTheProgram) {
  game g;
  Open(g, "2 press ESC\n");
  try {
    g.startscreen(3);
    FAIL() << "Esc should end the program";
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.status, 0);
  }
}

TEST_F(Screens, HelpLinesKeepTheirProportions) {
  for (int res : {1, 3}) {
    for (const char* key : {"ENTER", "SPACE", "ESC"}) {
      game g;
      Open(g, std::string("1 press A\n3 press ") + key + "\n", res);
      g.controls();
      const std::vector<std::string> trace = TraceLines();
      int flips = 0;
      for (const std::string& line : trace) flips += line.rfind("flip ", 0) == 0;
      EXPECT_EQ(flips, 3);  // A did nothing, the key on the third frame left
      const LabelLine last = LastLabel(trace, "WHEN YOUR COLOR BAR REACHES THE END, YOU WIN");
      EXPECT_DOUBLE_EQ(last.y, res == 3 ? 650 : 406.25);
      EXPECT_DOUBLE_EQ(LastLabel(trace, "P: PAUSE").y, (190 + 3 * 50) * g.xwin / 1024.0);
    }
  }
}

TEST_F(Screens, OptionsSaveAndReopenOnlyOnARealModeChange) {
  const struct {
    std::string keys;
    bool reopens;
    const char* saved;
  } cases[] = {
      // Trail up, fireworks off, volume down: saved, display left alone.
      {"1 press DOWN\n3 press DOWN\n5 press RIGHT\n7 press DOWN\n9 press LEFT\n11 press DOWN\n"
       "13 press LEFT\n15 press ENTER\n",
       false, "3\r\n0\r\n2\r\n0\r\n4\r\n1\r\n"},
      // Resolution changed and changed back.
      {"1 press DOWN\n3 press LEFT\n5 press RIGHT\n7 press ESC\n", false,
       "3\r\n0\r\n1\r\n1\r\n5\r\n1\r\n"},
      // Resolution down to 800 x 600.
      {"1 press DOWN\n3 press LEFT\n5 press SPACE\n", true, "2\r\n0\r\n1\r\n1\r\n5\r\n1\r\n"},
      // Up from the first item wraps to the volume.
      {"1 press UP\n3 press RIGHT\n5 press RIGHT\n7 press ESC\n", false,
       "3\r\n0\r\n1\r\n1\r\n7\r\n1\r\n"},
  };
  for (const auto& c : cases) {
    game g;
    g.initprefs();
    g.optfullscr = 0;
    Open(g, c.keys);
    g.optionsmenu();
    EXPECT_EQ(ReadFile("prefs.txt"), c.saved);
    int closes = 0;
    for (const std::string& line : TraceLines()) closes += line == "display close";
    EXPECT_EQ(closes, c.reopens ? 1 : 0) << c.keys;
    EXPECT_EQ(g.xwin, c.reopens ? 800 : 1024);
  }
}

TEST_F(Screens, OptionsShowTheSettingNames) {
  game g;
  g.initprefs();
  Open(g, "1 press DOWN\n3 press RIGHT\n5 press DOWN\n7 press LEFT\n9 press ENTER\n");
  g.optionsmenu();
  const std::vector<std::string> trace = TraceLines();
  const LabelLine full = LastLabel(trace, "FULL SCREEN= 0");
  EXPECT_DOUBLE_EQ(full.y, 260);
  EXPECT_TRUE(IsGrey(full));
  EXPECT_FALSE(LastLabel(trace, "SCREEN RESOLUTION= 1024 x 768").text.empty());
  EXPECT_FALSE(LastLabel(trace, "TRAIL= NONE").text.empty());
  EXPECT_FALSE(IsGrey(LastLabel(trace, "TRAIL= NONE")));
}

TEST_F(Screens, ScoresAppearOneEveryFiveFrames) {
  game g;
  initscores(g.scoreslist);
  g.scoreslist[0].name = "ZOE";
  g.scoreslist[0].points = 1234;
  Open(g, "101 press ENTER\n");
  g.blackscores();
  const std::vector<std::string> trace = TraceLines();
  // Count the entry lines drawn in each frame.
  std::vector<int> perframe(1, 0);
  for (const std::string& line : trace) {
    if (line.rfind("flip ", 0) == 0) perframe.push_back(0);
    if (line.rfind("label ", 0) == 0 && line.find(": ") != std::string::npos) perframe.back()++;
  }
  ASSERT_EQ(perframe.size(), 102u);
  EXPECT_EQ(perframe[0], 0);     // frame 1
  EXPECT_EQ(perframe[5], 1);     // frame 6
  EXPECT_EQ(perframe[99], 19);   // frame 100
  EXPECT_EQ(perframe[100], 20);  // frame 101
  const LabelLine first = LastLabel(trace, "1 : ZOE");
  EXPECT_DOUBLE_EQ(first.y, 130);
  EXPECT_DOUBLE_EQ(first.x, 270);
  EXPECT_DOUBLE_EQ(LastLabel(trace, "20: NOBODY").y, 700);
  const LabelLine points = LastLabel(trace, "1234");
  EXPECT_DOUBLE_EQ(points.y, 130);
  EXPECT_LT(points.x, 1024 - 270);
}

}  // namespace
