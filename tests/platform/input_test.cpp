#include "platform/input.h"

#include <gtest/gtest.h>

TEST(Keys, APressCountsOnceHoweverLongItIsHeld) {
  plat::KeyState keys;
  keys.KeyDown(65);
  keys.KeyDown(65);  // repeat while held
  EXPECT_TRUE(keys.Held(65));
  EXPECT_EQ(keys.TakePresses(65), 1);
  EXPECT_EQ(keys.TakePresses(65), 0);  // the query consumes the count
  keys.KeyUp(65);
  EXPECT_FALSE(keys.Held(65));
  keys.KeyDown(65);
  keys.KeyUp(65);
  keys.KeyDown(65);
  keys.KeyUp(65);
  EXPECT_EQ(keys.TakePresses(65), 2);  // quick taps between two queries all count
}

TEST(Keys, ClearDropsCountsHeldKeysAndTypedCharacters) {
  plat::KeyState keys;
  keys.KeyDown(13);
  keys.TypedChar('a');
  keys.CloseRequest();
  keys.Clear();
  EXPECT_EQ(keys.TakePresses(13), 0);
  EXPECT_FALSE(keys.Held(13));
  EXPECT_EQ(keys.NextChar(), 0);
  EXPECT_TRUE(keys.TakeClose());  // a close request survives: it is not input to discard
  EXPECT_FALSE(keys.TakeClose());
}

TEST(Keys, OutOfRangeCodesAreIgnored) {
  plat::KeyState keys;
  keys.KeyDown(-1);
  keys.KeyDown(256);
  keys.KeyUp(1000);
  EXPECT_EQ(keys.TakePresses(-1), 0);
  EXPECT_EQ(keys.TakePresses(256), 0);
  EXPECT_FALSE(keys.Held(300));
}

TEST(Keys, TypedQueueKeepsOrderAndHolds256) {
  plat::KeyState keys;
  for (int i = 0; i < 300; ++i) keys.TypedChar(1 + i % 200);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(keys.NextChar(), 1 + i % 200);
  EXPECT_EQ(keys.NextChar(), 0);
  keys.TypedChar('x');  // the ring wraps cleanly after draining
  EXPECT_EQ(keys.NextChar(), 'x');
}
