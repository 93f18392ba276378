// The scores screen driven through scripted keys.
#include "app/game.h"
#include "shellrun.h"

namespace {

using ScoresScreen = ShellRun;

TEST_F(ScoresScreen, EntriesAppearOneEveryFiveFrames) {
  game g;
  initscores(g.scoreslist);
  g.scoreslist[0].name = "ZOE";
  g.scoreslist[0].points = 1234;
  g.scoreslist[1].name = "AL\x1b[2J\n";  // a hand-edited scores.txt
  Start("101 press ENTER\n");
  g.changeres(0, 3, 0);
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
  EXPECT_DOUBLE_EQ(LastLabel(trace, "2 : AL?[2J?").y, 160);
  EXPECT_DOUBLE_EQ(LastLabel(trace, "20: NOBODY").y, 700);
  const LabelLine points = LastLabel(trace, "1234");
  EXPECT_DOUBLE_EQ(points.y, 130);
  EXPECT_LT(points.x, 1024 - 270);
}

}  // namespace
