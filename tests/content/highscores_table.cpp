#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "content/highscores.h"
#include "platform/platform.h"
#include "tests/scratch_folder.h"

namespace {

// Each test works in a fresh folder of its own with the headless platform.
class Scores : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.Enter());
    home_ = scratch_.home();
    dir_ = scratch_.path();
    PlatformConfig config;
    config.headless = true;
    config.fakeClock = true;
    std::string error;
    ASSERT_EQ(PlatformInit(config, &error), 0) << error;
  }
  void TearDown() override {
    PlatformShutdown();
  }
  void WriteFile(const std::string& bytes) {
    std::ofstream(dir_ / "scores.txt", std::ios::binary) << bytes;
  }
  std::string ReadFile() {
    std::ifstream in(dir_ / "scores.txt", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  // A table of 20 entries with the given points, named after their place.
  static std::vector<highscore> Table(const std::vector<int64_t>& points) {
    std::vector<highscore> list;
    for (size_t i = 0; i < points.size(); i++) {
      highscore entry;
      entry.name = "P" + std::to_string(i + 1);
      entry.points = points[i];
      list.push_back(entry);
    }
    return list;
  }
  std::filesystem::path dir_, home_;
  ScratchFolder scratch_{"parvane-scores"};  // the working folder while the test runs
};

TEST_F(Scores, AMissingFileIsCreatedFromTheDefaults) {
  std::vector<highscore> list;
  initscores(list);
  readscores(list);
  ASSERT_EQ(list.size(), 20u);
  for (const highscore& entry : list) {
    EXPECT_EQ(entry.name, "NOBODY");
    EXPECT_EQ(entry.points, 0);
  }
  std::string once;
  for (int i = 0; i < 20; i++) once += "NOBODY\r\n0\r\n";
  EXPECT_EQ(ReadFile(), once + once + once);
}

TEST_F(Scores, TheFirstScoreBeatsTheDefaultTable) {
  std::vector<highscore> list;
  initscores(list);
  addhighscore("ANNA", 500, list);
  ASSERT_EQ(list.size(), 20u);
  EXPECT_EQ(list[0].name, "ANNA");
  EXPECT_EQ(list[0].points, 500);
  for (size_t i = 1; i < list.size(); i++) EXPECT_EQ(list[i].name, "NOBODY");
  EXPECT_EQ(worstscore(list), 0);
}

TEST_F(Scores, TheTwentiethEntryIsTheBarToBeat) {
  std::vector<int64_t> points;
  for (int i = 0; i < 18; i++) points.push_back(1000 - i);
  points.push_back(300);
  points.push_back(300);
  std::vector<highscore> list = Table(points);
  EXPECT_EQ(worstscore(list), 300);
  addhighscore("NEW", 301, list);
  ASSERT_EQ(list.size(), 20u);
  EXPECT_EQ(list[18].name, "NEW");
  EXPECT_EQ(list[19].points, 300);  // only one of the two 300s is left
  EXPECT_EQ(worstscore(list), 300);
  addhighscore("TOP", 2000, list);
  EXPECT_EQ(list[0].name, "TOP");
  EXPECT_EQ(worstscore(list), 301);
  std::vector<highscore> shortlist = Table({5, 4});
  EXPECT_EQ(worstscore(shortlist), 0);
}

TEST_F(Scores, AHandEditedFileIsShownInItsOwnOrderUntilSorted) {
  WriteFile("LOW\r\n10\r\nHIGH\r\n900\r\nMID\r\n50\r\n");
  std::vector<highscore> list;
  initscores(list);
  readscores(list);
  EXPECT_EQ(list[0].name, "LOW");
  EXPECT_EQ(list[1].name, "HIGH");
  EXPECT_EQ(list[2].name, "MID");
  EXPECT_EQ(list[3].name, "NOBODY");  // the file covers three entries only
  EXPECT_EQ(worstscore(list), 0);
  EXPECT_EQ(list[0].name, "HIGH");
  EXPECT_EQ(list[1].name, "MID");
  EXPECT_EQ(list[2].name, "LOW");
}

TEST_F(Scores, HostileFilesLoadWhatTheyCan) {
  const std::string longname(4096, 'x');  // the longest line read
  WriteFile("ZED\r\nlots\r\n" + longname +
            "\r\n99999999999999999999999\r\n\xe9t\xe9\x01\r\n-12abc\r\n" + "ENDS AFTER A NAME");
  std::vector<highscore> list;
  initscores(list);
  readscores(list);
  EXPECT_EQ(list[0].name, "ZED");
  EXPECT_EQ(list[0].points, 0);
  EXPECT_EQ(list[1].name, longname);
  EXPECT_EQ(list[1].points, INT64_MAX);
  EXPECT_EQ(list[2].name, "\xe9t\xe9\x01");
  EXPECT_EQ(list[2].points, -12);
  EXPECT_EQ(list[3].name, "ENDS AFTER A NAME");
  EXPECT_EQ(list[3].points, 0);
  // The 32-bit bar of a saturated score is still a valid comparison.
  worstscore(list);
  EXPECT_EQ(list[0].points, INT64_MAX);
}

TEST_F(Scores, WritingKeepsEveryByteOfTheNames) {
  std::vector<highscore> list = Table(std::vector<int64_t>(20, -7));
  list[0].name = "caf\xe9 & co";
  list[0].points = 1234567890123LL;
  EXPECT_EQ(writescores(list), 0);
  const std::string file = ReadFile();
  const std::string first = "caf\xe9 & co\r\n1234567890123\r\nP2\r\n-7\r\n";
  EXPECT_EQ(file.substr(0, first.size()), first);
  size_t lines = 0;
  for (char c : file) lines += c == '\n';
  EXPECT_EQ(lines, 120u);
  std::vector<highscore> back;
  initscores(back);
  readscores(back);
  for (size_t i = 0; i < 20; i++) {
    EXPECT_EQ(back[i].name, list[i].name);
    EXPECT_EQ(back[i].points, list[i].points);
  }
}

TEST(Highscore, CompareRanksStrictlyHigherOnly) {
  highscore a, b;
  a.points = 5;
  b.points = 5;
  EXPECT_EQ(a.Compare(&b), -1);
  EXPECT_EQ(a.Compare(nullptr), 0);
  b.points = 4;
  EXPECT_EQ(a.Compare(&b), 1);
}

}  // namespace
