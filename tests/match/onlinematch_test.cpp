// The online match's own rules, without a network: P pauses and resumes
// inside the simulation, and a man whose input carries the computer's mark
// is played by the computer.
#include <cmath>

#include "tests/match/match_setup.h"

namespace {

class OnlineMatch : public MatchRun {
 protected:
  std::unique_ptr<tlevel> Begin(const char* mode, int players, uint32_t seed = 3) {
    SeedRandom(seed);
    auto level = NewMatch();
    matchsetup setup = matchmedia::setup(mode);
    setup.multi.numplayers = players;
    EXPECT_EQ(level->startmatch(setup), 0);
    return level;
  }
};

FrameInput at(int f, uint8_t keys0 = 0, uint16_t pressed = 0) {
  FrameInput in;
  in.players[0].keys = keys0;
  in.pressed = in.held = pressed;
  in.clock = f * 1000 / 60;
  return in;
}

// The state's checksum as if `frames` frames had been counted.
uint64_t countedas(tlevel& level, int frames) {
  const int counted = level.framecount;
  level.framecount = frames;
  const uint64_t sum = level.checksum();
  level.framecount = counted;
  return sum;
}

TEST_F(OnlineMatch, PStopsEverythingUntilAnyonesNextP) {
  Start("", 3, true);
  auto level = Begin("online", 2);
  int f = 0;
  for (; f < 40; f++) level->advance(at(f, inputright), true);
  level->advance(at(f++, inputright, buttonpause), true);
  ASSERT_TRUE(level->paused);
  const int pausedat = level->framecount;
  const uint64_t still = level->checksum();
  // Drawn and silent frames alike: the keys are ignored, nothing moves
  // (bodies, timers, bars, the generator), and the picture stays the same.
  for (int k = 0; k < 20; k++, f++) {
    level->advance(at(f, inputright), k % 3 != 0);
    Flip(-1);
  }
  EXPECT_EQ(level->framecount, pausedat + 20);
  EXPECT_EQ(countedas(*level, pausedat), still);

  // The next P, whoever pressed it, resumes: the match moves again.
  FrameInput resume = at(f++, inputright, buttonpause);
  const double x = level->men[0]->balllist.front()->x;
  level->advance(resume, true);
  for (int k = 0; k < 10; k++, f++) level->advance(at(f, inputright), true);
  EXPECT_FALSE(level->paused);
  EXPECT_GT(level->men[0]->balllist.front()->x, x);

  std::vector<std::string> trace = TraceLines();
  std::vector<std::vector<std::string>> pictures(1);
  for (const std::string& line : trace) {
    if (line.rfind("flip ", 0) == 0) {
      pictures.emplace_back();
    } else if (line.rfind("display ", 0) != 0) {
      pictures.back().push_back(line);
    }
  }
  // Frames 0, 3, 6, ... of the pause were drawn: the first and the others
  // show one picture.
  ASSERT_GE(pictures.size(), 20u);
  ASSERT_GT(pictures[0].size(), 50u);
  for (size_t k = 3; k < 20; k += 3) EXPECT_EQ(pictures[k], pictures[0]) << "paused frame " << k;
}

TEST_F(OnlineMatch, OnlyAnOnlineMatchPausesFromItsInput) {
  Start("", 3, false);
  // Offline, P is the frame loop's blocking pause: the simulation ignores it.
  // (The matches share the program's generator: one is played after the
  // other.)
  auto pressed = Begin("multiplayer", 2);
  for (int f = 0; f < 30; f++) pressed->advance(at(f, inputleft, f == 10 ? buttonpause : 0), true);
  const uint64_t sum = pressed->checksum();
  auto plain = Begin("multiplayer", 2);
  for (int f = 0; f < 30; f++) plain->advance(at(f, inputleft), true);
  EXPECT_EQ(sum, plain->checksum());
  // Nor on the game-over screen of an online match, as offline.
  auto level = Begin("online", 2);
  level->phase = "gameover";
  level->advance(at(0, 0, buttonpause), true);
  EXPECT_FALSE(level->paused);
}

// The distance from man i's first ball to the main ball.
double toball(const tlevel& level, int i) {
  const ball& b = *level.men[i]->balllist.front();
  return std::hypot(b.x - level.mainball[0]->x, b.y - level.mainball[0]->y);
}

TEST_F(OnlineMatch, TheComputerPlaysAManMarkedAsHis) {
  Start("", 3, false);
  // Man 3 stands still in one match; in the other his machine left at
  // frame 30 and the computer plays him.
  double nearest[2] = {1e9, 1e9};
  auto idle = Begin("online", 3);
  for (int f = 0; f < 900; f++) {
    idle->advance(at(f), true);
    if (f > 60) nearest[0] = std::min(nearest[0], toball(*idle, 2));
  }
  auto left = Begin("online", 3);
  matchsnapshot beforetakeover;
  int taken = 0;
  for (int f = 0; f < 900; f++) {
    FrameInput in = at(f);
    if (f >= 30) in.players[2].keys = inputcomputer;
    if (f == 26) left->saveState(beforetakeover);
    left->advance(in, true);
    if (f > 60) nearest[1] = std::min(nearest[1], toball(*left, 2));
    if (left->mainball[0]->team == 3 && taken == 0) taken = f;
  }
  EXPECT_EQ(left->men[2]->bot, 1);  // drawn as the computer's
  EXPECT_EQ(left->men[0]->bot, 0);
  EXPECT_GT(taken, 0) << "the computer never reached the ball";
  EXPECT_LT(nearest[1], nearest[0] / 3);

  // A rollback across the takeover plays it again alike.
  const uint64_t straight = left->checksum();
  ASSERT_TRUE(left->loadState(beforetakeover));
  for (int f = 26; f < 900; f++) {
    FrameInput in = at(f);
    if (f >= 30) in.players[2].keys = inputcomputer;
    left->advance(in, true);
  }
  EXPECT_EQ(left->checksum(), straight);
}

}  // namespace
