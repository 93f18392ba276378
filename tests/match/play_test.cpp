// Whole matches through Play: leaving, winning, pausing, the music, a
// missing body file, determinism, and computer players that play.
#include <tuple>

#include "replay/recording.h"
#include "tests/match/match_setup.h"

namespace {

using Play = MatchRun;

int flips(const std::vector<std::string>& trace) {
  return static_cast<int>(Starting(trace, "flip ").size());
}

matchsetup custom(int players = 2) {
  matchsetup setup = matchmedia::setup("custom");
  setup.custom.numplayers = players;
  setup.wins[0] = 2;
  setup.wins[1] = 1;
  return setup;
}

TEST_F(Play, EscapeLeavesTheMatchSilently) {
  Start("30 down ESC\n");
  auto level = NewMatch();
  level->musicchannel = AllocChannel();  // volume 0: never touched
  EXPECT_EQ(PlayMatch(*level, custom()), -1);
  EXPECT_EQ(level->leveltime, 30);
  auto trace = TraceLines();
  EXPECT_EQ(flips(trace), 30);
  EXPECT_TRUE(Starting(trace, "sound ").empty());
}

TEST_F(Play, AWonMatchEndsOnEnterAndReturnsTheWinner) {
  // Keys 1 and 4 fill player 1's bar; Enter confirms the tally screen.
  Start("10 down 1\n10 down 4\n11 up 1\n11 up 4\n200 down ENTER\n");
  auto level = NewMatch();
  EXPECT_EQ(PlayMatch(*level, custom(3)), 1);
  EXPECT_EQ(level->men[0]->wins, 3);
  EXPECT_EQ(level->men[1]->wins, 1);
}

TEST_F(Play, EscapeOnTheEndScreenGivesNoWinner) {
  Start("10 down 1\n10 down 4\n11 up 1\n11 up 4\n50 down ESC\n");
  auto level = NewMatch();
  EXPECT_EQ(PlayMatch(*level, custom()), -1);
  EXPECT_EQ(level->winner, 1);
}

TEST_F(Play, PauseStopsTheSimulation) {
  // The pause's waits count as frames for the script: paused after frame 5,
  // resumed at 15, left at 40.
  Start("5 press P\n15 press P\n40 down ESC\n");
  auto level = NewMatch();
  EXPECT_EQ(PlayMatch(*level, custom()), -1);
  int shown = flips(TraceLines());
  EXPECT_LT(shown, 35);
  EXPECT_EQ(level->leveltime, shown);
}

TEST_F(Play, EscapeEndsThePauseAndTheMatch) {
  Start("5 press P\n12 down ESC\n", 1, true, "trace.txt", 1000);
  auto level = NewMatch();
  EXPECT_EQ(PlayMatch(*level, custom()), -1);
  EXPECT_LT(level->leveltime, 12);
}

TEST_F(Play, NoPauseOnTheGameOverScreen) {
  Start("1 press P\n", 1, false, "trace.txt", 100);
  auto level = NewMatch();
  level->phase = "gameover";
  Flip(-1);
  matchloop(*level).pause();  // returns at once instead of waiting
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
  EXPECT_EQ(sounds[sounds.size() - 3].rfind("sound prepare 1", 0), 0u);
  EXPECT_EQ(sounds[sounds.size() - 2], "sound volume 1 0.5");
  EXPECT_EQ(sounds.back(), "sound resume 1");
}

TEST_F(Play, WithoutTheBodyFileNoFrameIsPlayed) {
  std::filesystem::remove(media_ / "man.txt");
  Start("");
  auto level = NewMatch();
  EXPECT_EQ(PlayMatch(*level, custom(3)), -1);
  auto trace = TraceLines();
  EXPECT_EQ(Starting(trace, "notify ").size(), 3u);  // once per player
  EXPECT_EQ(flips(trace), 0);
}

std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(Play, SameSeedAndScriptGiveTheSameTrace) {
  const std::string script = "40 down RIGHT\n90 down UP\n140 up RIGHT\n300 down ESC\n";
  for (const char* name : {"one.txt", "two.txt"}) {
    // The same starting files: no replay of the first run.
    std::filesystem::remove_all(dir_ / "replays");
    Start(script, 11, true, name);
    auto level = NewMatch();
    matchsetup setup = matchmedia::setup("levels");
    setup.level = 9;
    PlayMatch(*level, setup);
    Stop();
  }
  std::string one = slurp(dir_ / "one.txt");
  EXPECT_GT(one.size(), 100000u);
  EXPECT_TRUE(one == slurp(dir_ / "two.txt"));
}

// Frames until the computer player (team 2) owns the ball, -1 after `limit`.
int untiltaken(matchloop& loop, const tlevel& level, int limit) {
  for (int f = 1; f <= limit; f++) {
    loop.playframe();
    if (level.mainball[0]->team == 2) return f;
  }
  return -1;
}

TEST_F(Play, TheComputerPlayerChasesTheBall) {
  Start("", 5, false);
  auto level = NewMatch();
  ASSERT_EQ(level->startmatch(matchmedia::setup("custom")), 0);
  matchloop loop(*level);
  EXPECT_GT(untiltaken(loop, *level, 600), 0);
  // Knocked away to the far ends of the arena, it is reached again.
  for (auto [x, y] : {std::pair{-3000, 0}, {3000, 1000}, {0, -1300}}) {
    Tmainball& mb = *level->mainball[0];
    mb.x = mb.oldx = x;
    mb.y = mb.oldy = y;
    mb.xv = mb.yv = 0;
    mb.team = 0;
    EXPECT_GT(untiltaken(loop, *level, 1500), 0) << x << " " << y;
  }
}

TEST_F(Play, TheMatchStartsFromItsSetUpAlone) {
  Start("", 5, false);
  matchsetup setup = matchmedia::setup("multiplayer");
  setup.multi.numplayers = 3;
  setup.xwin = 800;
  setup.ywin = 600;
  setup.trail = 2;
  setup.fireworks = 0;
  setup.wins[2] = 4;
  setup.fixedclock = true;
  setup.startclock = 4321;
  auto level = NewMatch();
  ASSERT_EQ(level->startmatch(setup), 0);
  EXPECT_EQ(level->mennumber, 3);
  EXPECT_EQ(level->men[2]->wins, 4);
  EXPECT_EQ(std::tie(level->xwin, level->ywin, level->opttrail, level->optfireworks),
            std::make_tuple(800, 600, 2, 0));
  // The fixed clock is in the state the replay starts from and checks.
  EXPECT_EQ(level->initialtime, 4321);
  matchsnapshot now;
  level->saveState(now);
  EXPECT_EQ(now, level->startsnapshot);
  const replayrecord r = recordof(*level, -1);
  EXPECT_EQ(
      std::tie(r.setup.startclock, r.startchecksum, r.setup.wins[2], r.setup.xwin, r.setup.trail),
      std::make_tuple(4321, tlevel::checksumof(now), 4, 800, 2));
  // Without one the match reads the clock.
  setup.fixedclock = false;
  auto other = NewMatch();
  ASSERT_EQ(other->startmatch(setup), 0);
  EXPECT_EQ(other->initialtime, Clock());
}

}  // namespace
