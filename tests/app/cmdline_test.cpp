#include "app/cmdline.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/game.h"
#include "match/tlevel.h"
#include "platform/platform.h"
#include "shellrun.h"

namespace {

struct Read {
  explicit Read(std::vector<const char*> words) {
    words.insert(words.begin(), "parvane");
    status = readcommandline(static_cast<int>(words.size()), const_cast<char**>(words.data()),
                             &platform, &args, &message);
  }
  PlatformConfig platform;
  commandline args;
  std::string message;
  int status = 0;
};

}  // namespace

TEST(CommandLine, ThePlatformsOptionsAndTheGamesGoToEach) {
  Read all({"--headless", "--script", "s.txt", "--trace", "t.txt", "--seed", "4294967295",
            "--fake-clock", "--max-frames", "600", "--replay", "r.pvr", "--synctest", "8"});
  EXPECT_EQ(all.status, -1) << all.message;
  EXPECT_TRUE(all.platform.headless && all.platform.fakeClock && all.platform.seeded);
  EXPECT_EQ(all.platform.script, "s.txt");
  EXPECT_EQ(all.platform.trace, "t.txt");
  EXPECT_EQ(all.platform.seed, 4294967295u);
  EXPECT_EQ(all.platform.maxFrames, 600);
  EXPECT_EQ(all.args.replay, "r.pvr");
  EXPECT_EQ(all.args.synctest, 8);

  Read host({"--host", "24680", "--netsim", "10/80/40"});
  EXPECT_EQ(host.status, -1) << host.message;
  EXPECT_EQ(host.args.hostport, 24680);
  EXPECT_EQ(host.args.netsim, "10/80/40");
  Read join({"--join", "127.0.0.1:65535"});
  EXPECT_EQ(join.args.join, "127.0.0.1:65535");
  EXPECT_EQ(join.args.hostport, 0);
  Read code({"--join", "k7m2qx", "--meet", "meet.example.org"});
  EXPECT_EQ(code.args.join, "k7m2qx");
  EXPECT_EQ(code.args.meet, "meet.example.org");
}

TEST(CommandLine, ABadLineNamesItsFirstFaultAboveTheUsage) {
  const std::vector<std::vector<const char*>> bad = {{"--seed"},
                                                     {"--seed", "-1"},
                                                     {"--seed", "4294967296"},
                                                     {"--max-frames", "0"},
                                                     {"--max-frames", "x"},
                                                     {"--script"},
                                                     {"--replay"},
                                                     {"--synctest", "0"},
                                                     {"--synctest", "9"},
                                                     {"--synctest"},
                                                     {"--host", "0"},
                                                     {"--host", "65536"},
                                                     {"--host"},
                                                     {"--join", "localhost"},
                                                     {"--join", ":24680"},
                                                     {"--join", "a b:1"},
                                                     {"--join", "h:0"},
                                                     {"--host", "1", "--join", "h:2"},
                                                     {"--join", "k7m2qxz"},
                                                     {"--meet", "h:0"},
                                                     {"--meet", "a b"},
                                                     {"--meet"},
                                                     {"--netsim", "101/0/0"},
                                                     {"--netsim", "5/100"},
                                                     {"--netsim", "5/100/30/1"},
                                                     {"--netsim", "5/-1/30"},
                                                     {"--bogus"},
                                                     {"file.txt"}};
  for (const auto& words : bad) {
    Read r(words);
    EXPECT_EQ(r.status, 1) << words.back();
    EXPECT_NE(r.message.find("\nusage: parvane [--headless]"), std::string::npos) << r.message;
  }
  // The first fault is the one told, whoever's option it is.
  EXPECT_EQ(Read({"--seed", "x", "--host", "0"}).message.find("--seed needs a number"), 0u);
  EXPECT_EQ(Read({"--headless", "--host", "0", "--seed", "x"}).message.find("--host needs"), 0u);
  EXPECT_EQ(Read({"--fake-clock", "--bogus"}).message.find("unknown argument \"--bogus\"\n"), 0u);
}

TEST(CommandLine, HelpAndVersionAnswerAloneFromAnywhere) {
  Read help({"--bogus", "--help"});
  EXPECT_EQ(help.status, 0);
  // Every option is listed, the platform's and the game's.
  for (const char* option :
       {"--headless", "--script", "--trace", "--seed", "--fake-clock", "--max-frames", "--replay",
        "--synctest", "--host", "--join", "--meet", "--netsim", "--version"})
    EXPECT_NE(help.message.find(std::string("\n  ") + option + " "), std::string::npos) << option;
  Read version({"--seed", "x", "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.message.compare(0, 8, "parvane "), 0);
}

class SelfTest : public ShellRun {};

// Nothing a player sees tells whether --synctest runs: only this does.
TEST_F(SelfTest, EveryMatchTheGameMakesRunsTheSelfTestAskedFor) {
  Start("");
  game g;
  g.cmdline.synctest = 4;
  std::unique_ptr<tlevel> level = newmatch(g);
  matchloop loop = liveloop(g, *level);
  ASSERT_EQ(loop.startmatch(newsetup(g, "custom")), 0);
  EXPECT_EQ(loop.synctest(), 4);
}
