// The game's own message screen, for when the desktop's box cannot open.
#include "app/game.h"
#include "shellrun.h"

namespace {

using MessageScreenRun = ShellRun;

TEST_F(MessageScreenRun, TheTextFitsInLinesUntilEnter) {
  game g;
  Start("4 press ENTER\n");
  g.changeres(0, 1, 0);  // 640 x 480
  const std::string path(120, 'x');
  messagescreen("could not save /home/somebody/" + path + " : Permission denied", 640, 480);
  const std::vector<std::string> trace = TraceLines();
  int flips = 0, drawn = 0;
  for (const std::string& line : trace) flips += line.rfind("flip ", 0) == 0;
  EXPECT_EQ(flips, 4);  // left at the Enter pressed after flip 4
  std::string words;
  for (const LabelLine& l : Labels(trace)) {
    if (l.text == "PRESS ENTER TO GO ON") continue;
    EXPECT_GE(l.x, 0) << l.text;  // centred within the window: it fits
    if (++drawn <= 3) words += l.text + "|";
  }
  // The long word has its own line, shrunk; the words around it go on.
  EXPECT_EQ(words, "could not save|/home/somebody/" + path + "|: Permission denied|");
}

}  // namespace
