// Whole matches through Play: leaving, winning, pausing, the music, a
// missing body file, determinism, and computer players that play.
#include <cstdio>

#include "tests/match/match_setup.h"

namespace {

using Play = MatchRun;

int flips(const std::vector<std::string>& trace) {
  return static_cast<int>(Starting(trace, "flip ").size());
}

TEST_F(Play, EscapeLeavesTheMatch) {
  Start("30 down ESC\n");
  auto level = NewMatch();
  Tcustomsettings settings;
  int wins[4] = {0, 0, 0, 0};
  EXPECT_EQ(level->Play("custom", 1, nullptr, &settings, wins), -1);
  EXPECT_EQ(level->leveltime, 30);
  EXPECT_EQ(flips(TraceLines()), 30);
}

TEST_F(Play, AWonMatchEndsOnEnterAndReturnsTheWinner) {
  // Keys 1 and 4 fill player 1's bar; Enter confirms the tally screen.
  Start("10 down 1\n10 down 4\n11 up 1\n11 up 4\n200 down ENTER\n");
  auto level = NewMatch();
  Tcustomsettings settings;
  settings.numplayers = 3;
  int wins[4] = {2, 1, 0, 0};
  EXPECT_EQ(level->Play("custom", 1, nullptr, &settings, wins), 1);
  EXPECT_EQ(level->men[0]->wins, 3);
  EXPECT_EQ(level->men[1]->wins, 1);
  EXPECT_EQ(level->phase, "end");
}

TEST_F(Play, EscapeOnTheEndScreenGivesNoWinner) {
  Start("10 down 1\n10 down 4\n11 up 1\n11 up 4\n50 down ESC\n");
  auto level = NewMatch();
  Tmultiplayersettings settings;
  int wins[4] = {0, 0, 0, 0};
  EXPECT_EQ(level->Play("multiplayer", 1, &settings, nullptr, wins), -1);
  EXPECT_EQ(level->winner, 1);
}

TEST_F(Play, PauseStopsTheSimulationUntilPPressedAgain) {
  // Paused after frame 5 (the pause waits count as frames for the script),
  // resumed at 15, left at 40.
  Start("5 press P\n15 press P\n40 down ESC\n");
  auto level = NewMatch();
  Tcustomsettings settings;
  int wins[4] = {0, 0, 0, 0};
  EXPECT_EQ(level->Play("custom", 1, nullptr, &settings, wins), -1);
  int shown = flips(TraceLines());
  EXPECT_LT(shown, 35);
  EXPECT_EQ(level->leveltime, shown);
}

TEST_F(Play, EscapeEndsThePauseAndTheMatch) {
  Start("5 press P\n12 down ESC\n", 1, true, "trace.txt", 1000);
  auto level = NewMatch();
  Tcustomsettings settings;
  int wins[4] = {0, 0, 0, 0};
  EXPECT_EQ(level->Play("custom", 1, nullptr, &settings, wins), -1);
  EXPECT_LT(level->leveltime, 12);
}

TEST_F(Play, NoPauseOnTheGameOverScreen) {
  Start("1 press P\n", 1, false, "trace.txt", 100);
  auto level = NewMatch();
  level->phase = "gameover";
  Flip(-1);
  level->pause();  // returns at once instead of waiting
  EXPECT_EQ(KeyPresses(80), 0);
}

TEST_F(Play, SilentMatchLeavesTheMusicAlone) {
  Start("20 down ESC\n");
  auto level = NewMatch();
  level->musicchannel = AllocChannel();
  level->musicvolume = 0;
  Tcustomsettings settings;
  int wins[4] = {0, 0, 0, 0};
  level->Play("custom", 1, nullptr, &settings, wins);
  EXPECT_TRUE(Starting(TraceLines(), "sound ").empty());
  EXPECT_EQ(level->musicnumber, 1);
}

TEST_F(Play, StoppedMusicStartsAgainFromTheFirstTrack) {
  Start("");
  auto level = NewMatch();
  Channel* channel = AllocChannel();
  level->musics[0] = LoadSoundFile("media/tutto.ogg", 0);
  if (level->musics[0] == nullptr) GTEST_SKIP() << "no music in the media folder";
  keepmusic(*level, channel, 0.5);
  EXPECT_EQ(level->musicnumber, 0);
  auto sounds = Starting(TraceLines(), "sound ");
  ASSERT_GE(sounds.size(), 3u);
  EXPECT_EQ(sounds[sounds.size() - 3].rfind("sound prepare", 0), 0u);
  EXPECT_EQ(sounds[sounds.size() - 2], "sound volume 1 0.5");
  EXPECT_EQ(sounds.back(), "sound resume 1");
}

TEST_F(Play, WithoutTheBodyFileNoFrameIsPlayed) {
  std::filesystem::remove(media_ / "man.txt");
  Start("");
  auto level = NewMatch();
  Tcustomsettings settings;
  settings.numplayers = 3;
  int wins[4] = {0, 0, 0, 0};
  EXPECT_EQ(level->Play("custom", 1, nullptr, &settings, wins), -1);
  auto trace = TraceLines();
  EXPECT_EQ(Starting(trace, "notify ").size(), 3u);  // once per player
  EXPECT_EQ(flips(trace), 0);
}

TEST_F(Play, AnUnknownModeIsNotPlayed) {
  Start("");
  auto level = NewMatch();
  int wins[4] = {0, 0, 0, 0};
  EXPECT_EQ(level->Play("custom", 1, nullptr, nullptr, wins), -1);
  EXPECT_EQ(level->Play("training", 1, nullptr, nullptr, wins), -1);
  EXPECT_EQ(flips(TraceLines()), 0);
}

std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(Play, SameSeedAndScriptGiveTheSameTrace) {
  const std::string script = "40 down RIGHT\n90 down UP\n140 up RIGHT\n300 down ESC\n";
  for (const char* name : {"one.txt", "two.txt"}) {
    Start(script, 11, true, name);
    auto level = NewMatch();
    int wins[4] = {0, 0, 0, 0};
    level->Play("levels", 9, nullptr, nullptr, wins);
    Stop();
  }
  std::string one = slurp(dir_ / "one.txt");
  EXPECT_GT(one.size(), 100000u);
  EXPECT_TRUE(one == slurp(dir_ / "two.txt"));
}

// Frames until a computer player (team 2) owns the ball, at most `limit`.
int untiltaken(tlevel& level, int limit) {
  for (int f = 1; f <= limit; f++) {
    level.playframe();
    if (level.mainball[0]->team == 2) return f;
  }
  return -1;
}

TEST_F(Play, TheComputerPlayerChasesTheBall) {
  Start("", 5, false);
  auto level = StartCustom(Tcustomsettings());
  int first = untiltaken(*level, 600);
  EXPECT_GT(first, 0);
  // Knocked away to the far ends of the arena, it is reached again.
  const double spots[][2] = {{-3000, 0}, {3000, 1000}, {0, -1300}};
  for (const auto& spot : spots) {
    Tmainball& mb = *level->mainball[0];
    mb.x = mb.oldx = spot[0];
    mb.y = mb.oldy = spot[1];
    mb.xv = mb.yv = 0;
    mb.team = 0;
    EXPECT_GT(untiltaken(*level, 1500), 0) << spot[0] << " " << spot[1];
  }
}

}  // namespace
