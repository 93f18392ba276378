#include "content/ragdollfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {
// Loads a body written for the test; the file goes when the test ends.
class Bodyfile : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(path.c_str()); }
  void load(const std::string& text, double size = 1, double thickness = 1, double xoffset = 0,
            double yoffset = 0, double massfactor = 1) {
    char name[] = "/tmp/parvane_body_XXXXXX";
    close(mkstemp(name));
    path = name;
    std::ofstream(path, std::ios::binary) << text;
    loadragdoll(path, rag, size, thickness, nullptr, nullptr, xoffset, yoffset, massfactor);
  }
  std::string path;
  ragobject rag;
};

std::string ballblock(int number, double r = 10, int shirt = 0,
                      const std::string& header = "New Ball") {
  return header + "\n" + std::to_string(number) + "\n2\n10\n20\n" + std::to_string(r) +
         "\n0\n0\n0\nnormal\n0\n" + std::to_string(shirt) + "\n";
}

std::string linkblock(int a, int b, const std::string& header = "New Link") {
  return header + "\n" + std::to_string(a) + "\n" + std::to_string(b) + "\n20\n3\nstop\n1\n";
}
}  // namespace

TEST_F(Bodyfile, ValuesAreScaledShiftedAndShirtsEnlarged) {
  load("notes\n" + ballblock(1, 20, 1) + linkblock(1, 1) + "New Tension\n1\n1\n1\n33.5\n4\n", 0.5,
       1.12, 100, -50, 3);
  ASSERT_EQ(rag.balllist.size(), 1u);
  const ball& b = *rag.balllist[0];
  EXPECT_NEAR(b.r, 13.44, 1e-9);
  EXPECT_TRUE(b.x == 110 && b.y == -30 && b.oldx == 110 && b.anchorx == 100 && b.m == 6);
  ASSERT_EQ(rag.linklist.size(), 1u);
  EXPECT_EQ(rag.linklist[0]->ball1, &b);  // both ends on one ball
  EXPECT_EQ(rag.linklist[0]->ball2, &b);
  EXPECT_NEAR(rag.linklist[0]->width, 3 * 0.5 * 1.12 * 1.2, 1e-12);
  EXPECT_EQ(rag.linklist[0]->kind, "stop");
  ASSERT_EQ(rag.TensionList.size(), 1u);
  EXPECT_EQ(rag.TensionList[0]->angle, 33.5);
  EXPECT_NEAR(rag.TensionList[0]->strength, 4 * 0.5 * 3, 1e-12);
}

TEST_F(Bodyfile, OnlyExactHeadersStartABlock) {
  load(ballblock(1, 10, 0, "New Ball ") + ballblock(2, 10, 0, "New Ball  ") +
       ballblock(3, 10, 0, " New Ball") + ballblock(4, 10, 0, "new ball") +
       ballblock(5, 10, 0, "New Ball") + linkblock(1, 5, "New Link "));
  ASSERT_EQ(rag.balllist.size(), 2u);
  EXPECT_EQ(rag.balllist[1]->number, 5);
  EXPECT_EQ(rag.linklist.size(), 1u);
}

TEST_F(Bodyfile, LinksFindTheLastEarlierBallOfTheirNumber) {
  load(linkblock(1, 2) + ballblock(5) + linkblock(5, 5) + ballblock(5) + ballblock(6) +
       linkblock(5, 6) + linkblock(5, 9) + "New Tension\n5\n6\n9\n90\n50\n");
  ASSERT_EQ(rag.linklist.size(), 2u);  // those naming missing balls are dropped
  EXPECT_EQ(rag.linklist[0]->ball1, rag.balllist[0]);
  EXPECT_EQ(rag.linklist[1]->ball1, rag.balllist[1]);
  EXPECT_EQ(rag.linklist[1]->ball2, rag.balllist[2]);
  EXPECT_TRUE(rag.TensionList.empty());
}

TEST_F(Bodyfile, BlockCutShortStillAddsItsElement) {
  load("New Ball\n7\n3\n12.5");
  ASSERT_EQ(rag.balllist.size(), 1u);
  const ball& b = *rag.balllist[0];
  EXPECT_TRUE(b.number == 7 && b.m == 3 && b.x == 12.5 && b.y == 0 && b.r == 0);
  EXPECT_EQ(b.kind, "normal");
}

TEST_F(Bodyfile, EmptyFileEmptiesAndMissingFileKeeps) {
  load(ballblock(1) + ballblock(2) + linkblock(1, 2));
  loadragdoll("/nonexistent/parvane/body.txt", rag, 1, 1, nullptr, nullptr, 0, 0, 1);
  EXPECT_EQ(rag.balllist.size(), 2u);
  EXPECT_EQ(rag.linklist.size(), 1u);
  std::remove(path.c_str());
  load("");
  EXPECT_TRUE(rag.balllist.empty() && rag.linklist.empty() && rag.TensionList.empty());
}

// Numbers too large to hold read as 0 like any other unusable line: a body
// at the largest real turns to infinity and NaN in its first step.
TEST_F(Bodyfile, NumbersTooLargeToHoldReadAsZero) {
  load(
      "New Ball\n1\n1e400\n-1e400\n12\n1e309\n1\n1E+999\n5\nnormal\n0\n0\n"
      "New Ball\n2\n2\n0\n0\n1\n0\n0\n0\nnormal\n0\n0\n"
      "New Link\n1\n2\n1e400\n2e308\nnormal\n0\n"
      "New Tension\n1\n2\n1\n1e999\n-1e400\n",
      1, 1, 10, 20);
  ASSERT_EQ(rag.balllist.size(), 2u);
  const ball& b = *rag.balllist[0];
  EXPECT_EQ(b.m, 0);
  EXPECT_EQ(b.x, 10);  // only the offset is left
  EXPECT_EQ(b.y, 32);
  EXPECT_EQ(b.r, 0);
  EXPECT_EQ(b.anchorx, 10);
  EXPECT_EQ(b.anchory, 25);
  ASSERT_EQ(rag.linklist.size(), 1u);
  EXPECT_EQ(rag.linklist[0]->distance, 0);
  EXPECT_EQ(rag.linklist[0]->width, 0);
  ASSERT_EQ(rag.TensionList.size(), 1u);
  EXPECT_EQ(rag.TensionList[0]->angle, 0);
  EXPECT_EQ(rag.TensionList[0]->strength, 0);
}
