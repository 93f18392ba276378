#include "content/ragdollfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {
// A body file written for one test and removed after it.
class Bodyfile : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!path.empty()) std::remove(path.c_str());
  }
  const std::string& write(const std::string& text) {
    char name[] = "/tmp/parvane_body_XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    close(fd);
    path = name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  int load(const std::string& text, double size = 1, double thickness = 1, double xoffset = 0,
           double yoffset = 0, double massfactor = 1) {
    return loadragdoll(write(text), rag, size, thickness, nullptr, nullptr, xoffset, yoffset,
                       massfactor);
  }
  std::string path;
  ragobject rag;
};

std::string ballblock(int number, double x, double y, double r, int shirt = 0,
                      const std::string& kind = "normal", const std::string& header = "New Ball") {
  return header + "\n" + std::to_string(number) + "\n2\n" + std::to_string(x) + "\n" +
         std::to_string(y) + "\n" + std::to_string(r) + "\n0\n0\n0\n" + kind + "\n0\n" +
         std::to_string(shirt) + "\n";
}

std::string linkblock(int a, int b, double rest, double width = 4, int shirt = 0) {
  return "New Link\n" + std::to_string(a) + "\n" + std::to_string(b) + "\n" + std::to_string(rest) +
         "\n" + std::to_string(width) + "\nnormal\n" + std::to_string(shirt) + "\n";
}
}  // namespace

TEST_F(Bodyfile, BallsAreScaledShiftedAndShirtsEnlarged) {
  load("free text\n" + ballblock(1, 10, 20, 20, 1) + "\nNew Tension\n1\n1\n1\n33.5\n4\n", 0.5, 1.12,
       100, -50, 3);
  ASSERT_EQ(rag.balllist.size(), 1u);
  const ball& b = *rag.balllist[0];
  EXPECT_NEAR(b.r, 13.44, 1e-9);
  EXPECT_EQ(b.x, 110);
  EXPECT_EQ(b.y, -30);
  EXPECT_EQ(b.oldx, 110);
  EXPECT_EQ(b.anchorx, 100);
  EXPECT_EQ(b.anchory, -50);
  EXPECT_EQ(b.m, 6);
  EXPECT_EQ(b.shirt, 1);
  ASSERT_EQ(rag.TensionList.size(), 1u);
  EXPECT_EQ(rag.TensionList[0]->angle, 33.5);
  EXPECT_NEAR(rag.TensionList[0]->strength, 4 * 0.5 * 3, 1e-12);
}

TEST_F(Bodyfile, OnlyExactHeadersStartABlock) {
  load(ballblock(1, 0, 0, 10, 0, "normal", "New Ball ") +
       ballblock(2, 0, 0, 10, 0, "normal", "New Ball  ") +
       ballblock(3, 0, 0, 10, 0, "normal", " New Ball") +
       ballblock(4, 0, 0, 10, 0, "normal", "new ball") + "New Link \n1\n1\n7\n2\nstop\n0\n");
  ASSERT_EQ(rag.balllist.size(), 1u);
  EXPECT_EQ(rag.balllist[0]->number, 1);
  ASSERT_EQ(rag.linklist.size(), 1u);
  EXPECT_EQ(rag.linklist[0]->ball1, rag.balllist[0]);  // both ends on one ball
  EXPECT_EQ(rag.linklist[0]->ball2, rag.balllist[0]);
  EXPECT_EQ(rag.linklist[0]->kind, "stop");
}

TEST_F(Bodyfile, LaterBallWinsADuplicateNumber) {
  load(ballblock(5, 0, 0, 10) + linkblock(5, 5, 10) + ballblock(5, 1, 1, 10) +
       ballblock(6, 2, 2, 10) + linkblock(5, 6, 20, 3, 1));
  ASSERT_EQ(rag.linklist.size(), 2u);
  EXPECT_EQ(rag.linklist[0]->ball1, rag.balllist[0]);
  EXPECT_EQ(rag.linklist[1]->ball1, rag.balllist[1]);
  EXPECT_EQ(rag.linklist[1]->ball2, rag.balllist[2]);
  EXPECT_NEAR(rag.linklist[1]->width, 3.6, 1e-12);
}

TEST_F(Bodyfile, ElementsNamingMissingBallsAreDropped) {
  load(linkblock(1, 2, 10) + ballblock(1, 0, 0, 10) + linkblock(1, 2, 10) +
       "New Tension\n1\n1\n9\n90\n50\n" + ballblock(2, 5, 0, 10) + linkblock(1, 2, 10));
  EXPECT_EQ(rag.balllist.size(), 2u);
  ASSERT_EQ(rag.linklist.size(), 1u);
  EXPECT_EQ(rag.linklist[0]->ball2, rag.balllist[1]);
  EXPECT_TRUE(rag.TensionList.empty());
}

TEST_F(Bodyfile, KindsAreNormalised) {
  load(ballblock(1, 0, 0, 10, 0, "damaging") + ballblock(2, 0, 0, 10, 0, "stop") +
       ballblock(3, 0, 0, 10, 0, "Background") + "New Link\n1\n2\n5\n1\nvirtual\n0\n" +
       "New Link\n1\n2\n5\n1\nbouncy\n0\n");
  EXPECT_EQ(rag.balllist[0]->kind, "damaging");
  EXPECT_EQ(rag.balllist[1]->kind, "normal");
  EXPECT_EQ(rag.balllist[2]->kind, "normal");
  EXPECT_EQ(rag.linklist[0]->kind, "virtual");
  EXPECT_EQ(rag.linklist[1]->kind, "normal");
}

TEST_F(Bodyfile, BlockCutShortStillAddsItsElement) {
  load("New Ball\n7\n3\n12.5");
  ASSERT_EQ(rag.balllist.size(), 1u);
  const ball& b = *rag.balllist[0];
  EXPECT_EQ(b.number, 7);
  EXPECT_EQ(b.m, 3);
  EXPECT_EQ(b.x, 12.5);
  EXPECT_EQ(b.y, 0);
  EXPECT_EQ(b.r, 0);
  EXPECT_EQ(b.kind, "normal");
}

TEST_F(Bodyfile, BadNumbersReadAsZeroOrTheirLeadingDigits) {
  load("New Ball\n12abc\nheavy\n1e999\n-7.5x\n10\n1\n\n\nnormal\n0\n2\r\n");
  ASSERT_EQ(rag.balllist.size(), 1u);
  const ball& b = *rag.balllist[0];
  EXPECT_EQ(b.number, 12);
  EXPECT_EQ(b.m, 0);
  EXPECT_TRUE(std::isfinite(b.x));
  EXPECT_EQ(b.y, -7.5);
  EXPECT_EQ(b.anchored, 1);
  EXPECT_EQ(b.shirt, 2);
  EXPECT_EQ(b.r, 10);  // shirt 2 is stored but not enlarged
}

TEST_F(Bodyfile, EmptyFileEmptiesAndMissingFileKeeps) {
  load(ballblock(1, 0, 0, 10) + ballblock(2, 0, 0, 10) + linkblock(1, 2, 5));
  ASSERT_EQ(rag.balllist.size(), 2u);
  loadragdoll("/nonexistent/parvane/body.txt", rag, 1, 1, nullptr, nullptr, 0, 0, 1);
  EXPECT_EQ(rag.balllist.size(), 2u);
  EXPECT_EQ(rag.linklist.size(), 1u);
  load("");
  EXPECT_TRUE(rag.balllist.empty());
  EXPECT_TRUE(rag.linklist.empty());
  EXPECT_TRUE(rag.TensionList.empty());
}
