#include <gtest/gtest.h>

#include <cfloat>
#include <climits>

#include "platform/platform.h"

TEST(TextToInt, ReadsSignedDecimalUpToTheFirstOtherCharacter) {
  EXPECT_EQ(TextToInt("42"), 42);
  EXPECT_EQ(TextToInt("  \t-17abc"), -17);
  EXPECT_EQ(TextToInt("+8 9"), 8);
  EXPECT_EQ(TextToInt("5\r"), 5);
  EXPECT_EQ(TextToInt(""), 0);
  EXPECT_EQ(TextToInt("x12"), 0);
  EXPECT_EQ(TextToInt("-"), 0);
  EXPECT_EQ(TextToInt("1.9"), 1);
}

TEST(TextToInt, DollarIsHexAndPercentIsBinaryAfterTheSign) {
  EXPECT_EQ(TextToInt("$ff"), 255);
  EXPECT_EQ(TextToInt("-$1A"), -26);
  EXPECT_EQ(TextToInt("%1011"), 11);
  EXPECT_EQ(TextToInt("%102"), 2);  // stops at the first non-binary digit
  EXPECT_EQ(TextToInt("$"), 0);
  EXPECT_EQ(TextToInt("$g"), 0);
}

TEST(TextToInt, NumbersTooLongSaturateInsteadOfOverflowing) {
  EXPECT_EQ(TextToInt("2147483647"), INT_MAX);
  EXPECT_EQ(TextToInt("-2147483648"), INT_MIN);
  EXPECT_EQ(TextToInt("2147483648"), INT_MAX);
  EXPECT_EQ(TextToInt("-99999999999999999999999"), INT_MIN);
  EXPECT_EQ(TextToInt("$FFFFFFFFFFFF"), INT_MAX);
  EXPECT_EQ(TextToInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(TextToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(TextToInt64("123456789012345678901234567890"), INT64_MAX);
  EXPECT_EQ(TextToInt64("-4294967296"), -4294967296LL);
}

TEST(TextToReal, ReadsALeadingDecimalNumberOnly) {
  EXPECT_DOUBLE_EQ(TextToReal("3.25"), 3.25);
  EXPECT_DOUBLE_EQ(TextToReal("  -0.5x"), -0.5);
  EXPECT_DOUBLE_EQ(TextToReal("1e3"), 1000);
  EXPECT_DOUBLE_EQ(TextToReal("2e"), 2);  // an exponent with no digits is not part of it
  EXPECT_DOUBLE_EQ(TextToReal(".5"), 0.5);
  EXPECT_DOUBLE_EQ(TextToReal("7."), 7);
  EXPECT_EQ(TextToReal("0x10"), 0);  // hexadecimal is not a real here
  EXPECT_EQ(TextToReal("inf"), 0);
  EXPECT_EQ(TextToReal("nan"), 0);
  EXPECT_EQ(TextToReal("-."), 0);
  EXPECT_EQ(TextToReal("1e999"), DBL_MAX);
}

TEST(Printable, ControlCharactersBecomeQuestionMarksAndLettersStay) {
  // Retitle, clear, colour: all inert. A raw or UTF-8 C1 CSI too.
  EXPECT_EQ(Printable("\x1b]0;owned\x07\x1b[2J\r\n\x7f"), "?]0;owned??[2J???");
  EXPECT_EQ(Printable("a\x9b" "31m b\xc2\x9b" "31m"), "a?31m b?31m");
  // Latin-1 and UTF-8 letters, and a UTF-8 sequence cut short, are kept.
  EXPECT_EQ(Printable("caf\xe9 caf\xc3\xa9 \xe2\x80\x9cq\xe2\x80\x9d \xc2\xa0 \xe2\x80"),
            "caf\xe9 caf\xc3\xa9 \xe2\x80\x9cq\xe2\x80\x9d \xc2\xa0 \xe2?");
}
