#include <algorithm>

#include "tests/effects/headless_fixture.h"

namespace {

class EndScreens : public HeadlessTest {
 protected:
  // The texts drawn by one frame of the level screen at u = t + 1.
  std::vector<TextLine> LevelScreenAt(int t) {
    tlevel& l = Match(2, "levels");
    l.levelnum = 7;
    l.levelscore = 70000;
    l.timebonus = 12345;
    l.startscore = 1001;
    l.endscore = 83347;
    l.levelcompleted(t);
    return Texts(TraceLines());
  }

  static std::string At(const std::vector<TextLine>& texts, double x, double y) {
    for (const TextLine& t : texts) {
      if (t.x == x && t.y == y) return t.text;
    }
    return "";
  }

  // Runs the game-over screen for `frames` frames; typed input comes from
  // the script.
  tlevel& GameOver(const std::string& script, int frames) {
    Start(script);
    tlevel& l = Match(2, "levels");
    l.phase = "gameover";
    l.endscore = 100;
    for (int t = 0; t < frames; t++) {
      Input(l);
      l.gameover(t);
      Cleared(l);
      Flip(-1);
    }
    return l;
  }
};

TEST_F(EndScreens, ValuesCountIntoTheTotalBetween160And240) {
  Start();
  std::vector<TextLine> texts = LevelScreenAt(199);  // u = 200: halfway
  // Columns at 1024 wide: 100 and 724; rows 240, 340, 440.
  EXPECT_EQ(At(texts, 724, 240), "35000");
  EXPECT_EQ(At(texts, 724, 340), "6172");
  EXPECT_EQ(At(texts, 724, 440), "42174");  // 500.5 + 41673.5, truncated once
  EXPECT_EQ(At(texts, 100, 440), "TOTAL SCORE: ");
  EXPECT_EQ(texts.front().text, "LEVEL 7 COMPLETED");
  EXPECT_EQ(texts.front().r, 200);
  for (const TextLine& t : texts) EXPECT_NE(t.text, "PRESS ENTER TO CONTINUE");
}

// At u = 184 the factors are 0.7 and 0.3, which no real holds exactly: a
// product that is whole must still show whole, not one less.
TEST_F(EndScreens, CountShowsExactWholeValuesAtEveryFactor) {
  Start();
  tlevel& l = Match(2, "levels");
  l.levelnum = 9;
  l.levelscore = 90000;
  l.timebonus = 90;
  l.startscore = 1000;
  l.endscore = 91090;
  l.levelcompleted(183);
  std::vector<TextLine> texts = Texts(TraceLines());
  EXPECT_EQ(At(texts, 724, 240), "63000");
  EXPECT_EQ(At(texts, 724, 340), "63");
  EXPECT_EQ(At(texts, 724, 440), "28027");  // 700 + 27327
  // One frame later (0.6875 and 0.3125), truncated toward zero.
  Start();
  tlevel& m = Match(2, "levels");
  m.levelscore = 12345;
  m.timebonus = -7;
  m.startscore = 3;
  m.endscore = 12341;
  m.levelcompleted(184);
  texts = Texts(TraceLines());
  EXPECT_EQ(At(texts, 724, 240), "8487");  // 8487.1875
  EXPECT_EQ(At(texts, 724, 340), "-4");    // -4.8125
  EXPECT_EQ(At(texts, 724, 440), "3858");  // 2.0625 + 3856.5625
}

TEST_F(EndScreens, ValuesHeldBeforeTheCountAndFinalAfterIt) {
  Start();
  std::vector<TextLine> before = LevelScreenAt(158);
  EXPECT_EQ(At(before, 724, 240), "70000");
  EXPECT_EQ(At(before, 724, 340), "12345");
  EXPECT_EQ(At(before, 724, 440), "1001");
  Start();
  std::vector<TextLine> after = LevelScreenAt(240);
  EXPECT_EQ(At(after, 724, 240), "0");
  EXPECT_EQ(At(after, 724, 340), "0");
  EXPECT_EQ(At(after, 724, 440), "83347");
  EXPECT_EQ(after.back().text, "PRESS ENTER TO CONTINUE");
}

TEST_F(EndScreens, NameKeepsFifteenLettersInUpperCase) {
  tlevel& l = GameOver("5 type abcdefghijklmnopq\n30 char 8\n31 type z\n", 40);
  EXPECT_EQ(l.name, "ABCDEFGHIJKLMNZ");
  EXPECT_EQ(l.charposition, 16);
}

TEST_F(EndScreens, RefusedCharactersAndEmptyBackspaceChangeNothing) {
  tlevel& l = GameOver("5 char 8\n5 char 127\n6 type a\"~\n7 char 7\n7 type b c\n", 30);
  EXPECT_EQ(l.name, "AB C");
  EXPECT_EQ(l.charposition, 5);
}

TEST_F(EndScreens, APadSpellsTheNameWithItsDpadAndStick) {
  // Up: A, up: B, right: a new A, down twice: space then 9, right, stick
  // up, left deletes that letter, right and down: a new A then a space.
  std::string script = "1 pad 1 connect\n";
  const char* steps[] = {"press dpup",    "press dpup",   "press dpright",
                         "press dpdown",  "press dpdown", "press dpright",
                         "axis lefty -1", "axis lefty 0", "press dpleft"};
  int frame = 5;
  for (const char* step : steps) {
    script += std::to_string(frame) + " pad 1 " + step + "\n";
    frame += 2;
  }
  tlevel& l = GameOver(script, frame + 2);
  EXPECT_EQ(l.name, "B9");
  EXPECT_FALSE(l.cursorletter);
}

TEST_F(EndScreens, PadAndKeyboardEditTheSameName) {
  tlevel& l = GameOver(
      "1 pad 1 connect\n5 type ab\n7 pad 1 press dpdown\n9 pad 1 press dpdown\n"
      "11 type c\n13 pad 1 press dpup\n15 char 8\n17 char 8\n",
      20);
  // ab, a letter under the cursor cycled back from A to a space, replaced
  // by a typed c; a new A, erased, then the c erased.
  EXPECT_EQ(l.name, "AB");
}

TEST_F(EndScreens, APadNameIsNoLongerThanATypedOne) {
  std::string script = "1 pad 1 connect\n5 pad 1 press dpup\n";
  for (int f = 7; f < 45; f += 2) script += std::to_string(f) + " pad 1 press dpright\n";
  tlevel& l = GameOver(script, 50);
  EXPECT_EQ(l.name, std::string(15, 'A'));
}

TEST_F(EndScreens, KeysOfTheLostMatchTypeNothing) {
  tlevel& l = GameOver("1 type xyz\n", 10);
  EXPECT_EQ(l.name, "");
}

TEST_F(EndScreens, NamePromptOnlyForAScoreThatEntersTheTable) {
  Start("5 type ann\n");
  tlevel& l = Match(2, "levels");
  l.phase = "gameover";
  l.endscore = 500;
  l.levelworstscore = 400;
  for (int t = 0; t < 122; t++) {
    Input(l);
    l.gameover(t);
    Cleared(l);
    Flip(-1);
  }
  tlevel& low = Match(2, "levels");
  low.endscore = 400;
  low.levelworstscore = 400;
  low.gameover(121);
  std::vector<std::string> trace = TraceLines();
  std::vector<TextLine> shown = Texts(Frame(trace, 121));
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].text, "GAME OVER");
  EXPECT_EQ(shown[1].text, "SCORE: 500");
  EXPECT_EQ(shown[2].text, "ENTER YOUR NAME:");
  EXPECT_EQ(shown[3].text, "ANN");
  std::vector<TextLine> lowshown = Texts(Frame(trace, 122));
  ASSERT_EQ(lowshown.size(), 2u);
  EXPECT_EQ(lowshown[1].text, "SCORE: 400");
  // Nothing but the title before frame 61 of the screen.
  EXPECT_EQ(Texts(Frame(trace, 60)).size(), 1u);
}

}  // namespace

// The game-over title is wider than the window at its nominal scale: it is
// drawn just small enough to fit, from the left edge. Texts that fit keep
// their scale and stay centred.
TEST_F(EndScreens, CentredTextsNeverLeaveTheWindow) {
  for (int w : {640, 1024}) {
    Start();
    const double over = LabelWidth("GAME OVER");
    const double completed = LabelWidth("LEVEL 7 COMPLETED");
    tlevel& l = Match(2, "levels");
    l.xwin = w;
    l.endscore = 100;
    l.gameover(5);
    l.levelnum = 7;
    l.levelcompleted(5);
    std::vector<TextLine> texts = Texts(TraceLines());
    bool seenover = false, seencompleted = false;
    for (const TextLine& t : texts) {
      if (t.text == "GAME OVER") {
        seenover = true;
        EXPECT_LT(t.scale, 1.2 * w / 1024);
        EXPECT_EQ(t.x, 0);
        EXPECT_NEAR(over * t.scale, w, 0.01);  // the trace keeps six digits
      } else if (t.text == "LEVEL 7 COMPLETED") {
        seencompleted = true;
        EXPECT_DOUBLE_EQ(t.scale, 0.6 * w / 1024);
        EXPECT_NEAR(t.x, (w - completed * t.scale) / 2, 0.01);
      }
    }
    EXPECT_TRUE(seenover && seencompleted) << w;
  }
}
