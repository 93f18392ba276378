#include "platform/script.h"

#include <gtest/gtest.h>

#include "platform/input.h"

namespace {

std::string ParseError(const std::string& text) {
  plat::Script s;
  std::string error;
  EXPECT_FALSE(s.Parse("t.txt", text, &error)) << text;
  return error;
}

}  // namespace

TEST(Script, KeyNamesAndCodes) {
  EXPECT_EQ(plat::ParseKeyName("ENTER"), 13);
  EXPECT_EQ(plat::ParseKeyName("DOWN"), 40);
  EXPECT_EQ(plat::ParseKeyName("W"), 87);
  EXPECT_EQ(plat::ParseKeyName("7"), 55);  // a lone digit is the digit key
  EXPECT_EQ(plat::ParseKeyName("80"), 80);
  EXPECT_EQ(plat::ParseKeyName("256"), -1);
  EXPECT_EQ(plat::ParseKeyName("w"), -1);
  EXPECT_EQ(plat::ParseKeyName(""), -1);
}

TEST(Script, ErrorsNameTheLine) {
  EXPECT_EQ(ParseError("# comment\n\n3 down Q2\n"), "script t.txt line 3: unknown key \"Q2\"");
  EXPECT_NE(ParseError("x down A").find("line 1: bad frame"), std::string::npos);
  EXPECT_NE(ParseError("-1 down A").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("5 down A\n4 up A").find("line 2"), std::string::npos);
  EXPECT_NE(ParseError("1 jump").find("unknown action"), std::string::npos);
  EXPECT_NE(ParseError("1 answer maybe").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("1 char 0").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("1 char 300").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("1 type").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("1 screenshot").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("1").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("99999999999999 down A").find("line 1"), std::string::npos);
}

TEST(Script, AnswersQueueInFileOrderWhateverTheirFrame) {
  plat::Script s;
  std::string error;
  ASSERT_TRUE(s.Parse("t", "9 answer cancel\n2 down A\n0 answer yes\n\r\n3 answer no\r\n", &error))
      << error;
  int a = 5;
  ASSERT_TRUE(s.NextAnswer(&a));
  EXPECT_EQ(a, -1);
  ASSERT_TRUE(s.NextAnswer(&a));
  EXPECT_EQ(a, 1);
  ASSERT_TRUE(s.NextAnswer(&a));
  EXPECT_EQ(a, 0);
  EXPECT_FALSE(s.NextAnswer(&a));
}

TEST(Script, ActionsApplyWhenTheirFrameIsReached) {
  plat::Script s;
  std::string error;
  ASSERT_TRUE(s.Parse("t",
                      "0 down ESC\n"
                      "2 press SPACE\n"
                      "3 down SPACE\n"  // after the press's release at 3
                      "4 type  a b\n"   // a blank after the one separator is typed too
                      "4 char 8\n"
                      "5 screenshot shot.png\n"
                      "5 close\n",
                      &error))
      << error;
  plat::KeyState keys;
  std::vector<std::string> shots;
  s.ApplyUpTo(0, keys, keys, &shots);
  EXPECT_TRUE(keys.Held(27));
  s.ApplyUpTo(1, keys, keys, &shots);
  EXPECT_FALSE(keys.Held(32));
  s.ApplyUpTo(2, keys, keys, &shots);
  EXPECT_TRUE(keys.Held(32));
  EXPECT_EQ(keys.TakePresses(32), 1);
  s.ApplyUpTo(3, keys, keys, &shots);
  EXPECT_TRUE(keys.Held(32));  // released then pressed again in the same frame
  EXPECT_EQ(keys.TakePresses(32), 1);
  s.ApplyUpTo(4, keys, keys, &shots);
  std::string typed;
  for (int c; (c = keys.NextChar()) != 0;) typed.push_back(static_cast<char>(c));
  EXPECT_EQ(typed, " a b\b");
  EXPECT_FALSE(keys.TakeClose());
  EXPECT_TRUE(shots.empty());
  s.ApplyUpTo(7, keys, keys, &shots);
  EXPECT_TRUE(keys.TakeClose());
  EXPECT_EQ(shots, std::vector<std::string>{"shot.png"});
}

TEST(Script, AMissingFileIsAnError) {
  plat::Script s;
  std::string error;
  EXPECT_FALSE(s.Load("/nonexistent/script.txt", &error));
  EXPECT_NE(error.find("/nonexistent/script.txt"), std::string::npos);
  EXPECT_FALSE(s.active());
}

TEST(Script, ArbitraryBytesParseOrFailWithoutHarm) {
  // Scripts come from outside; nothing in them may crash the reader.
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  const char* pieces[] = {"0 ",    "7 ",      "down ", "up ",         "press ", "type ",
                          "char ", "answer ", "close", "screenshot ", "ESC",    "255",
                          "\n",    "\r",      "\t",    "#",           "-",      " "};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    int n = next() % 12;
    for (int i = 0; i < n; ++i) {
      if (next() % 4 == 0)
        text.push_back(static_cast<char>(next() >> 24));
      else
        text += pieces[(next() >> 8) % (sizeof pieces / sizeof pieces[0])];
    }
    plat::Script s;
    std::string error;
    if (s.Parse("fuzz", text, &error)) {
      plat::KeyState keys;
      std::vector<std::string> shots;
      s.ApplyUpTo(1000000, keys, keys, &shots);
    } else {
      EXPECT_EQ(error.compare(0, 17, "script fuzz line "), 0) << error;
    }
  }
}
