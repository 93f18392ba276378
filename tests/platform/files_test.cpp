#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "tests/platform/test_util.h"

TEST(TextFiles, ReadLineStopsAtLineFeedOrNulAndDropsCarriageReturns) {
  ScratchFolder dir;
  std::string path = dir.File("in.txt");
  WriteBytes(path, std::string("one\r\ntw\ro\nthree\0four\n\nlast", 27));
  TextStream* s = OpenRead(path);
  ASSERT_NE(s, nullptr);
  std::vector<std::string> lines;
  while (!Eof(s)) lines.push_back(ReadLine(s));
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "four", "", "last"}));
  EXPECT_EQ(ReadLine(s), "");  // reading past the end stays harmless
  EXPECT_TRUE(Close(s));
}

TEST(TextFiles, BytesAboveAsciiSurviveAsOneCharacterEach) {
  ScratchFolder dir;
  std::string path = dir.File("bytes.txt");
  TextStream* w = OpenWrite(path);
  ASSERT_NE(w, nullptr);
  WriteLine(w, "\xe9t\xff");
  WriteLine(w, "");
  ASSERT_TRUE(Close(w));
  EXPECT_EQ(ReadBytes(path), "\xe9t\xff\r\n\r\n");
  TextStream* r = OpenRead(path);
  EXPECT_EQ(ReadLine(r), "\xe9t\xff");
  Close(r);
}

TEST(TextFiles, MissingFilesAndFoldersGiveNoStream) {
  ScratchFolder dir;
  EXPECT_EQ(OpenRead(dir.File("absent.txt")), nullptr);
  EXPECT_EQ(OpenWrite(dir.File("no/such/folder.txt")), nullptr);
}

TEST(TextFiles, WritingReplacesTheFileOnlyOnClose) {
  ScratchFolder dir;
  std::string path = dir.File("prefs.txt");
  WriteBytes(path, "old\r\n");
  TextStream* w = OpenWrite(path);
  ASSERT_NE(w, nullptr);
  WriteLine(w, "new");
  EXPECT_EQ(ReadBytes(path), "old\r\n");  // a crash now would keep the old file
  ASSERT_TRUE(Close(w));
  EXPECT_EQ(ReadBytes(path), "new\r\n");
  // No temporary file is left behind.
  EXPECT_EQ(std::system(("test $(ls -A '" + dir.path() + "' | wc -l) -eq 1").c_str()), 0);
}

TEST(TextFiles, AFailedWriteKeepsTheOldFileAndReportsIt) {
  ScratchFolder dir;
  std::string path = dir.File("scores.txt");
  WriteBytes(path, "precious\r\n");
  // A file-size limit makes the writes fail the way a full disk does.
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 64;
  sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  TextStream* w = OpenWrite(path);
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 100; ++i) WriteLine(w, "a line that will not fit");
  bool saved = Close(w);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadBytes(path), "precious\r\n");
  EXPECT_EQ(std::system(("test $(ls -A '" + dir.path() + "' | wc -l) -eq 1").c_str()), 0);
}

TEST(TextFiles, CreateEmptyFileNeverTruncates) {
  ScratchFolder dir;
  std::string path = dir.File("new.txt");
  EXPECT_TRUE(CreateEmptyFile(path));
  EXPECT_EQ(ReadBytes(path), "");
  WriteBytes(path, "keep");
  EXPECT_TRUE(CreateEmptyFile(path));
  EXPECT_EQ(ReadBytes(path), "keep");
  EXPECT_FALSE(CreateEmptyFile(dir.File("no/such/file")));
}

TEST(WholeFiles, BinaryBytesRoundTripAndLongFilesAreRefusedWhole) {
  ScratchFolder dir;
  std::string path = dir.File("r.bin");
  std::string bytes("PV\0\r\n\xff", 6);
  for (int i = 0; i < 70000; i++) bytes.push_back(static_cast<char>(i * 7));
  ASSERT_TRUE(WriteWholeFile(path, bytes));
  std::string back = "stale";
  EXPECT_EQ(ReadWholeFile(path, bytes.size(), &back), 0);
  EXPECT_TRUE(back == bytes);
  // One byte over the limit: refused, and nothing half-read is kept.
  EXPECT_EQ(ReadWholeFile(path, bytes.size() - 1, &back), 2);
  EXPECT_TRUE(back.empty());
  EXPECT_EQ(ReadWholeFile(dir.File("absent.bin"), 100, &back), 1);
  EXPECT_FALSE(WriteWholeFile(dir.File("no/such/folder.bin"), bytes));
}

TEST(WholeFiles, FoldersAreMadeListedAndEmptied) {
  ScratchFolder dir;
  std::string folder = dir.File("replays");
  EXPECT_TRUE(ListFolder(folder).empty());
  ASSERT_TRUE(MakeFolder(folder));
  EXPECT_TRUE(MakeFolder(folder));  // already there
  ASSERT_TRUE(WriteWholeFile(folder + "/a", "1"));
  ASSERT_TRUE(WriteWholeFile(folder + "/b", "2"));
  ASSERT_TRUE(MakeFolder(folder + "/sub"));
  std::vector<std::string> names = ListFolder(folder);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));  // plain files only
  EXPECT_TRUE(RemoveFile(folder + "/a"));
  EXPECT_FALSE(RemoveFile(folder + "/a"));
  EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"b"});
  WriteBytes(dir.File("plain"), "x");
  EXPECT_FALSE(MakeFolder(dir.File("plain")));  // a file is in the way
}
