#include "match/textentry.h"

#include <gtest/gtest.h>

#include <string>

// Names take letters, digits, the blank and 29 signs; nothing else.
TEST(KeyToChar, AcceptsExactlyTheNameCharacters) {
  const std::string signs = "!#$%^&*()-_+=[]{}<>,.?/\\|:;@'";
  ASSERT_EQ(signs.size(), 29u);
  int accepted = 0;
  for (int code = -300; code < 70000; code++) {
    const std::string got = keytochar(code);
    const bool letter = (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z');
    const bool digit = code >= '0' && code <= '9';
    const bool sign =
        code > 0 && code < 127 && signs.find(static_cast<char>(code)) != std::string::npos;
    if (letter || digit || sign || code == ' ') {
      accepted++;
      EXPECT_EQ(got, std::string(1, static_cast<char>(code))) << code;
    } else {
      EXPECT_EQ(got, "nope") << code;
    }
  }
  EXPECT_EQ(accepted, 52 + 10 + 1 + 29);
  for (int code :
       std::initializer_list<int>{'"', '`', '~', 8, 0, 13, 127, 233, 256 + 'A', -256 + 'A'})
    EXPECT_EQ(keytochar(code), "nope") << code;
  EXPECT_EQ(keytochar('\''), "'");
  EXPECT_EQ(keytochar('@'), "@");
  EXPECT_EQ(keytochar('\\'), "\\");
}
