#include "app/game.h"
#include "shellrun.h"

namespace {

class Prefs : public ShellRun {
 protected:
  // Runs initprefs and readprefs on a fresh game, as start-up does.
  void Read(game& g) {
    g.initprefs();
    g.readprefs();
  }
};

// The first-run question itself is played through in the shell_firstrun scenario.

TEST_F(Prefs, AShortFileKeepsTheDefaultsOfTheMissingLines) {
  WriteFile("prefs.txt", "1\r\n1\r\n");
  Start("");
  game g;
  Read(g);
  EXPECT_EQ(g.optres, 1);
  EXPECT_EQ(g.optfullscr, 1);
  EXPECT_EQ(g.opttrail, 1);
  EXPECT_EQ(g.optfireworks, 1);
  EXPECT_EQ(g.musicvolume, 5);
  EXPECT_EQ(g.maxinitiallevel, 1);
  EXPECT_EQ(g.initiallevel, 1);
  EXPECT_EQ(ReadFile("prefs.txt"), "1\r\n1\r\n");  // reading never rewrites
}

TEST_F(Prefs, OutOfRangeAndNonNumericValuesAreMended) {
  struct Case {
    const char* file;
    int optres, optfullscr, opttrail, optfireworks, musicvolume, maxinitiallevel;
  };
  const Case cases[] = {
      // Resolution and full screen out of range fall back to 1024 x 768 in a window.
      {"5\r\n7\r\n", 3, 0, 1, 1, 5, 1},
      {"0\n-1\n2\n0\n10\n36\n", 3, 0, 2, 0, 10, 36},
      // Text reads as 0; a 0 as maximum level stays 0 (the levels menu shows 1).
      {"abc\nx\n\n?\nvolume\nlevel\n", 3, 0, 0, 0, 0, 0},
      // Values no menu could produce are clamped.
      {"2\n1\n9\n-4\n99\n1000\n", 2, 1, 2, 0, 10, 40},
      {"2\n0\n-1\n5\n-7\n99999999999999999999\n", 2, 0, 0, 1, 0, 40},
      // Blanks, a sign, CR in the middle of a line, hexadecimal.
      {"  +2\r\n1\r\r\n$2\n%1\n 7 apples\n11\n", 2, 1, 2, 1, 7, 11},
  };
  for (const Case& c : cases) {
    WriteFile("prefs.txt", c.file);
    Start("");
    game g;
    Read(g);
    SCOPED_TRACE(c.file);
    EXPECT_EQ(g.optres, c.optres);
    EXPECT_EQ(g.optfullscr, c.optfullscr);
    EXPECT_EQ(g.opttrail, c.opttrail);
    EXPECT_EQ(g.optfireworks, c.optfireworks);
    EXPECT_EQ(g.musicvolume, c.musicvolume);
    EXPECT_EQ(g.maxinitiallevel, c.maxinitiallevel);
    EXPECT_EQ(g.initiallevel, c.maxinitiallevel);
    Stop();
  }
}

TEST_F(Prefs, WritingReplacesTheWholeFile) {
  WriteFile("prefs.txt", "1\r\n0\r\n2\r\n0\r\n10\r\n16\r\nsomething left from an older game\r\n");
  Start("");
  game g;
  Read(g);
  g.musicvolume = 0;
  g.maxinitiallevel = 21;
  EXPECT_EQ(g.writeprefs(), 0);
  EXPECT_EQ(ReadFile("prefs.txt"), "1\r\n0\r\n2\r\n0\r\n0\r\n21\r\n");
}

}  // namespace
