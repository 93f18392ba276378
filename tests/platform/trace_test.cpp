#include "platform/trace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "tests/platform/test_util.h"

TEST(TraceLine, RealsPrintExactlyAsPercentSixG) {
  // The fast path for whole numbers must never differ from printf.
  const double values[] = {0,    -0.0,    1,         -1,       7,          999999,  -999999,
                           1e6,  -1e6,    123456789, 0.5,      337.5,      216.094, 1.0 / 3,
                           1e-7, -2.5e-5, 1e300,     999999.5, 4294967296, -0.0001, 65536};
  ScratchFolder dir;
  plat::Trace trace;
  ASSERT_TRUE(trace.Open(dir.File("t.txt")));
  std::string expected;
  for (double v : values) {
    trace.Write(plat::TraceLine("v").Real(v));
    char buf[64];
    snprintf(buf, sizeof buf, "v %.6g\n", v);
    expected += buf;
  }
  trace.Close();
  EXPECT_EQ(ReadBytes(dir.File("t.txt")), expected);
}

TEST(TraceLine, IntegersAndFreeTextRunToTheEndOfTheLine) {
  ScratchFolder dir;
  plat::Trace trace;
  ASSERT_TRUE(trace.Open(dir.File("t.txt")));
  std::string text = "two words\nand a break";
  std::string longText(1000, 'x');
  trace.Write(plat::TraceLine("flip").Int(0));
  trace.Write(plat::TraceLine("a").Int(-2147483647L - 1).Int(255).Text(text));
  trace.Write(plat::TraceLine("long").Text(longText));
  trace.Write(plat::TraceLine("cls"));
  trace.Close();
  EXPECT_EQ(ReadBytes(dir.File("t.txt")),
            "flip 0\na -2147483648 255 two words and a break\nlong " + longText + "\ncls\n");
  EXPECT_EQ(plat::BaseName("media/ball.png"), "ball.png");
  EXPECT_EQ(plat::BaseName("ball.png"), "ball.png");
}
