// Rebinding keys and controls.txt.
#include "controls/bindings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/platform.h"
#include "tests/scratch_folder.h"

namespace {

TEST(Bindings, AKeyUsedElsewhereIsRefusedNamingItsUser) {
  keybindings b = defaultbindings();
  EXPECT_EQ(bindkey(b, 0, actionup, 'W'), "PLAYER 2 UP");
  EXPECT_EQ(bindkey(b, 3, actionleft, keyleft), "PLAYER 1 LEFT");
  EXPECT_EQ(bindkey(b, 2, actiondown, 'I'), "PLAYER 3 UP");  // the player's own other action
  EXPECT_EQ(bindkey(b, 1, actionleft, keypause), "PAUSE");
  EXPECT_EQ(bindkey(b, 1, actionleft, keyesc), "ESC");
  EXPECT_EQ(bindkey(b, 1, actionleft, keyenter), "ENTER");
  EXPECT_EQ(b, defaultbindings());              // nothing changed
  EXPECT_EQ(bindkey(b, 1, actionup, 'W'), "");  // its own key again
  EXPECT_EQ(bindkey(b, 3, actionleft, 'F'), "");
  EXPECT_EQ(b.keys[3][actionleft], 'F');
  EXPECT_EQ(bindkey(b, 0, actionright, 'F'), "PLAYER 4 LEFT");
  EXPECT_EQ(bindkey(b, 3, actionright, 'G'), "");
  EXPECT_EQ(bindkey(b, 3, actionright, 'H'), "");  // G is free again
  EXPECT_EQ(bindkey(b, 2, actionup, 'G'), "");
}

TEST(Bindings, NamesOfKeys) {
  EXPECT_EQ(keyname(keyup), "UP");
  EXPECT_EQ(keyname('Q'), "Q");
  EXPECT_EQ(keyname('7'), "7");
  EXPECT_EQ(keyname(99), "KEYPAD 3");
  EXPECT_EQ(keyname(keyspace), "SPACE");
  EXPECT_EQ(keyname(0), "NONE");
  EXPECT_EQ(keyname(200), "KEY 200");
}

TEST(ControlsFile, MissingAndBadLinesGiveTheDefaults) {
  EXPECT_EQ(parsebindings({}), defaultbindings());
  EXPECT_EQ(parsebindings({"", "garbage", "5 UP 65", "0 UP 65", "1 SIDEWAYS 65", "1 UP", "1 UP 13",
                           "1 UP 27", "1 UP 80", "1 UP 300", "1 UP -5", "1 UP 6a", "1 up 65",
                           "1 UP 65 66", "12 UP 65", std::string(1000, '1')}),
            defaultbindings());
}

TEST(ControlsFile, NeverTwoActionsOnOneKey) {
  // Player 2's W given to player 1: player 2's UP cannot have it back.
  keybindings b = parsebindings({"1 UP 87"});
  EXPECT_EQ(b.keys[0][actionup], 'W');
  EXPECT_EQ(b.keys[1][actionup], 0);
  // The first line to claim a key keeps it; a second line for the same
  // action is ignored.
  b = parsebindings({"4 LEFT 70", "4 RIGHT 70", "4 LEFT 71"});
  EXPECT_EQ(b.keys[3][actionleft], 'F');
  EXPECT_EQ(b.keys[3][actionright], 0);
  // Whatever the file, no key serves twice.
  b = parsebindings({"2 LEFT 37", "3 DOWN 38", "4 UP 39", "1 DOWN 65", "4 DOWN 40"});
  int uses[256] = {};
  for (auto& player : b.keys)
    for (int k : player)
      if (k != 0) {
        EXPECT_EQ(++uses[k], 1) << k;
      }
}

class ControlsFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.Enter());
    home_ = scratch_.home();
    dir_ = scratch_.path();
  }
  std::filesystem::path home_, dir_;
  ScratchFolder scratch_{"parvane-controls"};  // the working folder while the test runs
};

TEST_F(ControlsFileOnDisk, SavedAndReadBackWithNoFileMeaningDefaults) {
  EXPECT_EQ(readbindings(), defaultbindings());
  keybindings b = defaultbindings();
  bindkey(b, 3, actionleft, 'F');
  bindkey(b, 3, actionup, 99);  // a keypad key
  b.keys[1][actionright] = 0;   // no key at all
  ASSERT_TRUE(writebindings(b));
  EXPECT_EQ(readbindings(), b);
  // Written whole, with no temporary left over.
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir_)) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
}

}  // namespace
