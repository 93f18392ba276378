// Matches recorded and played again: the replay file a match leaves, played
// back to the same end; snapshots taken back and simulated again; the
// rollback check; the instant replay of the end screens.
#include "online/netgame.h"
#include "replay/recording.h"
#include "replay/replayfolder.h"
#include "tests/match/match_setup.h"

namespace {

class Replays : public MatchRun {
 protected:
  std::string Slurp(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  replayrecord Load(const std::string& name) {
    replayrecord r;
    std::string error;
    EXPECT_TRUE(decodereplay(Slurp(name), &r, &error)) << name << ": " << error;
    return r;
  }

  // Plays every replay file named, each in a new match, and returns the
  // trace's match lines of the whole session.
  std::vector<std::string> PlayBack(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      replayrecord r = Load(name);
      auto level = NewMatch();
      bool finished = false;
      int result = playrecorded(*level, r, &finished);
      EXPECT_TRUE(finished) << name;
      EXPECT_EQ(result, r.winner) << name;
      EXPECT_EQ(level->checksum(), r.endchecksum) << name;
    }
    return Starting(TraceLines(), "match ");
  }

  // The match lines of a trace, then those of playing the replays back.
  void ExpectSamePlayBack(const std::vector<std::string>& names) {
    std::vector<std::string> played = Starting(TraceLines(), "match ");
    ASSERT_EQ(played.size(), 2 * names.size());
    Start("", 99);  // another seed: the replay brings its own
    std::vector<std::string> again = PlayBack(names);
    EXPECT_EQ(again, played);
  }
};

TEST_F(Replays, ACustomMatchPlaysBackToTheSameEnd) {
  Start(
      "20 down RIGHT\n60 down UP\n90 up RIGHT\n150 up UP\n160 down LEFT\n300 up LEFT\n"
      "320 down 1\n320 down 4\n322 up 1\n322 up 4\n400 press ENTER\n");
  auto level = NewMatch();
  matchsetup setup = matchmedia::setup("custom");
  setup.custom.numplayers = 3;
  setup.custom.arenanum = 11;
  setup.custom.gravity = 4;
  setup.wins[0] = 1;
  setup.wins[1] = 2;
  EXPECT_EQ(PlayMatch(*level, setup), 1);
  auto trace = TraceLines();
  EXPECT_EQ(Starting(trace, "match start"), std::vector<std::string>{"match start custom 0 3"});
  EXPECT_EQ(Starting(trace, "replay save"),
            std::vector<std::string>{"replay save replays/replay-000001.pvr"});
  replayrecord r = Load("replays/replay-000001.pvr");
  EXPECT_EQ(r.setup.custom.arenanum, 11);
  EXPECT_EQ(r.setup.wins[1], 2);
  EXPECT_EQ(static_cast<int>(r.frames.size()), level->framecount);
  ExpectSamePlayBack({"replays/replay-000001.pvr"});
}

TEST_F(Replays, ALevelsRunWithShortcutsAndANamePlaysBack) {
  // Level 3 won with 1 + 4; level 4 lost with 1 + 5, a name typed on the
  // game-over screen (the keys of the lost match typed nothing).
  Start(
      "30 down 1\n30 down 4\n31 up 1\n31 up 4\n100 press ENTER\n"
      "150 down 1\n150 down 5\n151 type qq\n152 up 1\n152 up 5\n"
      "200 type Ann\n205 char 8\n206 type e\n230 press ENTER\n");
  int score = 0;
  for (int levelnumber : {3, 4}) {
    auto level = NewMatch();
    matchsetup setup = matchmedia::setup("levels");
    setup.level = levelnumber;
    setup.startscore = score;
    setup.worstscore = 100;
    int result = PlayMatch(*level, setup);
    score = level->endscore;
    if (levelnumber == 3) {
      EXPECT_EQ(result, 1);
    } else {
      EXPECT_EQ(result, 2);
      EXPECT_EQ(level->name, "ANE");
    }
  }
  ExpectSamePlayBack({"replays/replay-000001.pvr", "replays/replay-000002.pvr"});
}

TEST_F(Replays, AMultiplayerMatchOfFourLeftWithEscapePlaysBack) {
  Start(
      "10 down RIGHT\n10 down A\n10 down I\n50 up A\n50 down W\n80 up RIGHT\n"
      "90 up I\n90 down L\n140 down ESC\n");
  auto level = NewMatch();
  matchsetup setup = matchmedia::setup("multiplayer");
  setup.multi.numplayers = 4;  // a fourth player, with a pad or keys of his own
  setup.multi.arenanum = 7;
  EXPECT_EQ(PlayMatch(*level, setup), -1);
  replayrecord r = Load("replays/replay-000001.pvr");
  EXPECT_EQ(r.winner, -1);
  EXPECT_EQ(r.setup.mode, "multiplayer");
  ExpectSamePlayBack({"replays/replay-000001.pvr"});
}

TEST_F(Replays, ARecordOfAnotherSetUpIsNotPlayed) {
  Start("30 down ESC\n");
  auto level = NewMatch();
  PlayMatch(*level, matchmedia::setup("custom"));
  replayrecord r = Load("replays/replay-000001.pvr");
  // Each a setting the match would be set up with differently.
  std::vector<void (*)(replayrecord&)> changes = {
      [](replayrecord& c) { c.setup.custom.gravity = 3; },
      [](replayrecord& c) { c.setup.custom.speed = 9; },
      [](replayrecord& c) { c.setup.custom.arenanum = 2; },
      [](replayrecord& c) { c.randomstate ^= 1; },
      [](replayrecord& c) { c.setup.wins[1] = 4; },
  };
  for (auto change : changes) {
    replayrecord other = r;
    change(other);
    auto again = NewMatch();
    bool finished = true;
    EXPECT_EQ(playrecorded(*again, other, &finished), -3);
    EXPECT_FALSE(finished);
    EXPECT_EQ(again->framecount, 0);
  }
  // Checksums of an older snapshot layout are not held against this one's.
  replayrecord old = r;
  old.checksumformat = snapshotformat - 1;
  old.startchecksum ^= 1;
  auto again = NewMatch();
  bool finished = false;
  EXPECT_EQ(playrecorded(*again, old, &finished), r.winner);
  EXPECT_TRUE(finished);
  EXPECT_EQ(again->checksum(), r.endchecksum);
}

// The inputs of a busy match: every player pushes, some turns, the tester
// keys win it for player 1 halfway.
std::vector<FrameInput> busy(int frames) {
  std::vector<FrameInput> out;
  FrameInput f;
  for (int k = 0; k < frames; k++) {
    f.clock += 16 + k % 2;
    for (int p = 0; p < maxinputplayers; p++) {
      f.players[p].keys = static_cast<uint8_t>(1 << ((k / (17 + p * 5) + p) % 4));
    }
    f.held = k == frames / 2 ? (button1 | button4) : 0;
    out.push_back(f);
  }
  return out;
}

TEST_F(Replays, RestoredSnapshotSimulatedSilentlyMatchesTheStraightRun) {
  Start("", 3, false);
  auto level = NewMatch();
  matchsetup setup = matchmedia::setup("multiplayer");
  setup.multi.numplayers = 3;
  setup.multi.arenanum = 11;
  setup.multi.gravity = 3;
  ASSERT_EQ(level->startmatch(setup), 0);
  std::vector<FrameInput> inputs = busy(400);
  for (int k = 0; k < 150; k++) level->advance(inputs[k], false);
  matchsnapshot saved;
  level->saveState(saved);
  std::vector<uint64_t> straight;
  for (int k = 150; k < 400; k++) {
    level->advance(inputs[k], false);
    straight.push_back(level->checksum());
  }
  // The match was won on the way: trail dots and fireworks are in the state.
  EXPECT_EQ(level->winner, 1);
  EXPECT_FALSE(level->fireworkslist.empty());
  EXPECT_FALSE(level->dotlist.empty());
  double x = level->men[2]->balllist[3]->x;

  ASSERT_TRUE(level->loadState(saved));
  for (int k = 150; k < 400; k++) {
    level->advance(inputs[k], true);
    ASSERT_EQ(level->checksum(), straight[k - 150]) << "frame " << k + 1;
  }
  EXPECT_EQ(level->men[2]->balllist[3]->x, x);
  EXPECT_EQ(level->framecount, 400);
}

TEST_F(Replays, SnapshotOfBodiesOfAnotherShapeIsRefused) {
  Start("", 3, false);
  matchsetup two = matchmedia::setup("custom"), four = two;
  two.custom.numplayers = 2;
  four.custom.numplayers = 4;
  auto small = NewMatch();
  ASSERT_EQ(small->startmatch(two), 0);
  auto large = NewMatch();
  ASSERT_EQ(large->startmatch(four), 0);
  matchsnapshot snapshot;
  small->saveState(snapshot);
  uint64_t before = large->checksum();
  EXPECT_FALSE(large->loadState(snapshot));
  EXPECT_EQ(large->checksum(), before);
  EXPECT_FALSE(large->loadState(matchsnapshot()));
  EXPECT_EQ(large->checksum(), before);
}

TEST_F(Replays, TheRollbackCheckFindsAStateThatCannotBeMadeAgain) {
  Start("", 3);
  auto level = NewMatch();
  matchloop loop(*level, nullptr, 3);
  ASSERT_EQ(loop.startmatch(matchmedia::setup("custom")), 0);
  for (int k = 0; k < 20; k++) loop.playframe();
  // Which ball a link holds is fixed by the set-up and not part of a
  // snapshot: changing it behind the match's back makes the frames before
  // simulate differently when rolled back.
  class link& neck = *level->men[0]->linklist[0];
  std::swap(neck.ball1, neck.ball2);
  neck.ball2 = level->men[0]->balllist.back();
  int status = 0;
  try {
    loop.playframe();
  } catch (const ProgramExit& e) {
    status = e.status;
  }
  EXPECT_EQ(status, 3);
  EXPECT_EQ(Starting(TraceLines(), "desync"), std::vector<std::string>{"desync 19"});
}

// An online match as every machine records it: a multiplayer match from the
// host's set-up, the clock its frame count, a man the computer took over.
// Its end is known only once every machine has it, so the inputs run past
// the end, which stays as it was.
TEST_F(Replays, AnOnlineMatchPlaysBackToTheEndEveryMachineSaw) {
  Start("", 5);
  std::vector<FrameInput> inputs = busy(320);
  for (int k = 0; k < 320; k++) {
    inputs[k].clock = k * 1000 / 60;
    if (k >= 100) inputs[k].players[2].keys |= online::inputcomputer;
    if (k == 250) inputs[k].pressed = inputs[k].held = buttonenter;
    if (k == 40 || k == 60) inputs[k].pressed = buttonpause;  // paused for everybody between
  }
  std::vector<std::string> ends;
  for (int recorded : {1, -1}) {
    auto level = NewMatch();
    matchsetup setup = matchmedia::setup("online");
    setup.multi.numplayers = 3;
    setup.wins[1] = 2;
    setup.wins[2] = 1;
    ASSERT_EQ(level->startmatch(setup), 0);
    for (const FrameInput& in : inputs) {
      if (level->phase != "end") level->advance(in, true);
      level->inputs.push_back(in);
    }
    ASSERT_EQ(level->phase, "end");
    ASSERT_EQ(level->winner, 1);
    // -1: left while the others had not yet confirmed the end.
    savereplay(*level, recorded);
    ends.push_back("match end " + std::to_string(level->framecount) + " " +
                   std::to_string(recorded) + " " + checksumtext(level->checksum()));
  }
  EXPECT_LT(std::stoi(ends[0].substr(10)), 320);
  Start("", 99);
  std::vector<std::string> played =
      PlayBack({"replays/replay-000001.pvr", "replays/replay-000002.pvr"});
  EXPECT_EQ(played, (std::vector<std::string>{"match start online 0 3", ends[0],
                                              "match start online 0 3", ends[1]}));
}

int replaymarks(const std::vector<std::string>& trace) {
  int marks = 0;
  for (const std::string& line : trace) {
    if (line.size() > 7 && line.compare(line.size() - 7, 7, " REPLAY") == 0) marks++;
  }
  return marks;
}

TEST_F(Replays, InstantReplayShowsTheMatchAgainAndReturnsToTheTally) {
  // Won at frame 10; R on the tally at 60 shows the 10 frames again plus the
  // 90 after the win (the replay's flips are script frames too); Escape at
  // 120 ends the replay, not the match; Enter at 200 leaves the tally.
  Start("10 down 1\n10 down 4\n11 up 1\n11 up 4\n60 press R\n120 down ESC\n121 up ESC\n"
        "200 press ENTER\n");
  auto level = NewMatch();
  EXPECT_EQ(PlayMatch(*level, matchmedia::setup("custom")), 1);
  EXPECT_EQ(level->men[0]->wins, 1);
  auto trace = TraceLines();
  int marks = replaymarks(trace);
  // One mark per replayed frame, from flip 61 up to the Escape at 120.
  EXPECT_EQ(marks, 60);
  // The match went on from where it stood: its own frames exclude the
  // replay's (the frame after flip 200 reads the Enter), and the file it
  // leaves plays back to the same end.
  EXPECT_EQ(level->framecount, 201 - marks);
  Start("", 5);
  std::vector<std::string> again = PlayBack({"replays/replay-000001.pvr"});
  EXPECT_EQ(again.back(), Starting(trace, "match end").back());
}

TEST_F(Replays, OnTheNamePromptRIsALetterElsewhereTheReplay) {
  // A level lost at frame 10 (1 + 5); R on the game-over screen at 40 (a
  // key that also types its letter).
  const std::string script =
      "10 down 1\n10 down 5\n11 up 1\n11 up 5\n40 press R\n40 type r\n200 press ENTER\n";
  for (int worst : {0, 500}) {
    Start(script);
    auto level = NewMatch();
    matchsetup setup = matchmedia::setup("levels");
    setup.level = 6;
    setup.startscore = 200;
    setup.worstscore = worst;
    EXPECT_EQ(PlayMatch(*level, setup), 2);
    int marks = replaymarks(TraceLines());
    if (worst == 0) {
      // 200 enters the table: the name prompt shows, and R types.
      EXPECT_EQ(level->name, "R");
      EXPECT_EQ(marks, 0);
    } else {
      EXPECT_EQ(level->name, "");
      EXPECT_GT(marks, 0);
    }
  }
}

TEST_F(Replays, TheFiftyNewestAreKept) {
  std::filesystem::create_directory(dir_ / "replays");
  for (int n = 3; n <= 57; n++) {
    char name[64];
    std::snprintf(name, sizeof name, "replays/replay-%06d.pvr", n);
    std::ofstream(dir_ / name) << n;
  }
  std::ofstream(dir_ / "replays" / "notes.txt") << "mine";
  Start("", 1, false);
  EXPECT_EQ(savereplayfile("abc"), "replays/replay-000058.pvr");
  EXPECT_EQ(Slurp("replays/replay-000058.pvr"), "abc");
  int kept = 0;
  for (auto& e : std::filesystem::directory_iterator(dir_ / "replays")) {
    long n = replaynumber(e.path().filename().string());
    if (n >= 0) {
      kept++;
      EXPECT_GE(n, 9);
    }
  }
  EXPECT_EQ(kept, keptreplays);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "replays" / "notes.txt"));
  EXPECT_EQ(replaynumber("replay-12.pvr"), 12);
  EXPECT_EQ(replaynumber("replay-.pvr"), -1);
  EXPECT_EQ(replaynumber("replay-1x.pvr"), -1);
  EXPECT_EQ(replaynumber("replay-1234567890.pvr"), -1);
}

}  // namespace
