#include <errno.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstring>
#include <optional>

#include "platform/internal.h"
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

TEST(TextFiles, ALineTooLongToBeRealEndsTheFileAsDamaged) {
  ScratchFolder dir;
  std::string path = dir.File("long.txt");
  const std::string longest(4096, 'x');
  WriteBytes(path, longest + "\r\n" + std::string(200000, '9') + "\r\nafter\r\n");
  TextStream* s = OpenRead(path);
  EXPECT_EQ(ReadLine(s), longest);
  EXPECT_EQ(ReadLine(s), "");  // nothing of the long line, nor of anything after it
  EXPECT_TRUE(Eof(s));
  EXPECT_FALSE(Close(s));
  EXPECT_EQ(LastFileError(), "a line is too long (the file is damaged)");
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

namespace {

bool IsLink(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool Save(const std::string& path, const std::string& line) {
  TextStream* w = OpenWrite(path);
  if (!w) return false;
  WriteLine(w, line);
  return Close(w);
}

}  // namespace

TEST(SavingOverAFile, FollowsLinksAndKeepsPermissions) {
  ScratchFolder dir;
  ASSERT_EQ(mkdir(dir.File("kept").c_str(), 0755), 0);
  WriteBytes(dir.File("kept/prefs.txt"), "old\r\n");
  ASSERT_EQ(symlink("kept/prefs.txt", dir.File("prefs.txt").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("prefs.txt").c_str(), dir.File("twice").c_str()), 0);
  ASSERT_TRUE(Save(dir.File("twice"), "new"));
  EXPECT_TRUE(IsLink(dir.File("prefs.txt")));
  EXPECT_TRUE(IsLink(dir.File("twice")));
  EXPECT_EQ(ReadBytes(dir.File("kept/prefs.txt")), "new\r\n");
  // The temporary file was made beside the target, not beside the link.
  EXPECT_EQ(std::system(("test $(ls -A '" + dir.File("kept") + "' | wc -l) -eq 1").c_str()), 0);

  for (mode_t mode : {0600, 0640, 0664}) {
    ASSERT_EQ(chmod(dir.File("kept/prefs.txt").c_str(), mode), 0);
    ASSERT_TRUE(Save(dir.File("prefs.txt"), "again"));
    EXPECT_EQ(ModeOf(dir.File("kept/prefs.txt")), mode);
  }
  // A new file gets the usual bits.
  ASSERT_TRUE(Save(dir.File("fresh.txt"), "x"));
  EXPECT_EQ(ModeOf(dir.File("fresh.txt")), 0644u);
  // An administrator's save leaves the file its owner's.
  if (geteuid() == 0) {
    ASSERT_EQ(chown(dir.File("kept/prefs.txt").c_str(), 65534, 65534), 0);
    ASSERT_TRUE(Save(dir.File("prefs.txt"), "root"));
    struct stat st;
    ASSERT_EQ(stat(dir.File("kept/prefs.txt").c_str(), &st), 0);
    EXPECT_TRUE(st.st_uid == 65534 && st.st_gid == 65534);
  }
}

TEST(SavingOverAFile, AReadOnlyFileIsNotWritten) {
  ScratchFolder dir;
  const std::string path = dir.File("scores.txt");
  WriteBytes(path, "keep\r\n");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(OpenWrite(path), nullptr);
  EXPECT_EQ(LastFileError(), strerror(EACCES));
  EXPECT_EQ(ReadBytes(path), "keep\r\n");
  EXPECT_EQ(ModeOf(path), 0444u);
  // A folder in the file's place is named as such.
  ASSERT_EQ(mkdir(dir.File("prefs.txt").c_str(), 0755), 0);
  EXPECT_EQ(OpenWrite(dir.File("prefs.txt")), nullptr);
  EXPECT_EQ(LastFileError(), strerror(EISDIR));
}

TEST(SavingOverAFile, WritesInPlaceWhenNoTemporaryFileCanBeMade) {
  ScratchFolder dir;
  // A name so long that the temporary name beside it is too long to exist.
  const std::string path = dir.File(std::string(250, 'p'));
  WriteBytes(path, "a much longer old content that must not survive in part\r\n");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(Save(path, "short"));
  EXPECT_EQ(ReadBytes(path), "short\r\n");
  EXPECT_EQ(ModeOf(path), 0640u);
  EXPECT_EQ(std::system(("test $(ls -A '" + dir.path() + "' | wc -l) -eq 1").c_str()), 0);

  // A folder the player may not add files to, holding a file they may
  // write: as root the folder's permissions would not count, so the save is
  // made by a plain user in a child process.
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(mkdir(dir.File("locked").c_str(), 0755), 0);
  const std::string inside = dir.File("locked/prefs.txt");
  WriteBytes(inside, "old\r\n");
  ASSERT_EQ(chmod(inside.c_str(), 0666), 0);
  ASSERT_EQ(chmod(dir.File("locked").c_str(), 0555), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    _exit(Save(inside, "new") ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(ReadBytes(inside), "new\r\n");
  chmod(dir.File("locked").c_str(), 0755);
}

TEST(SpecialFiles, AreUnreadableAndNeverBlock) {
  ScratchFolder dir;
  const std::string fifo = dir.File("prefs.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  // Each of these would wait for a writer or reader forever.
  EXPECT_EQ(OpenRead(fifo), nullptr);
  EXPECT_EQ(LastFileError(), "not a regular file");
  EXPECT_EQ(OpenWrite(fifo), nullptr);
  EXPECT_FALSE(CreateEmptyFile(fifo));
  EXPECT_EQ(OpenRead(dir.path()), nullptr);
  EXPECT_EQ(LastFileError(), strerror(EISDIR));
  EXPECT_EQ(OpenRead("/dev/zero"), nullptr);  // would never end
  EXPECT_EQ(LastFileError(), "not a regular file");
  // Only a missing file is no failure to tell.
  EXPECT_EQ(OpenRead(dir.File("none.txt")), nullptr);
  EXPECT_EQ(LastFileError(), "");
  // A link to a regular file is read like the file.
  WriteBytes(dir.File("real.txt"), "5\r\n");
  ASSERT_EQ(symlink("real.txt", dir.File("link.txt").c_str()), 0);
  TextStream* r = OpenRead(dir.File("link.txt"));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ReadLine(r), "5");
  Close(r);
}

namespace {

// The game's files in the user's folders, as an installed game keeps them
// (the game names which are configuration and which data);
// the environment and the working folder are restored afterwards.
class UserFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    char buf[4096];
    cwd_ = getcwd(buf, sizeof buf) ? buf : "/";
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      const char* v = getenv(name);
      saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
    }
    setenv("XDG_CONFIG_HOME", dir_.File("conf").c_str(), 1);
    setenv("XDG_DATA_HOME", dir_.File("data").c_str(), 1);
    setenv("HOME", dir_.File("home").c_str(), 1);
    ASSERT_EQ(mkdir(dir_.File("work").c_str(), 0755), 0);
    ASSERT_EQ(chdir(dir_.File("work").c_str()), 0);
    plat::State().userFolders = true;
    plat::State().config.configFiles = {"prefs.txt", "controls.txt", "lastjoin.txt"};
    plat::State().config.dataFiles = {"scores.txt", "replays"};
  }
  void TearDown() override {
    plat::State().userFolders = false;
    plat::State().config = PlatformConfig();
    for (auto& [name, value] : saved_) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    EXPECT_EQ(chdir(cwd_.c_str()), 0);
  }
  ScratchFolder dir_;
  std::string cwd_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace

TEST_F(UserFolders, OptionsGoToConfigAndScoresAndReplaysToData) {
  for (const char* name : {"prefs.txt", "controls.txt", "lastjoin.txt", "gamecontrollerdb.txt"}) {
    ASSERT_TRUE(Save(name, name)) << name << ": " << LastFileError();
    EXPECT_EQ(ReadBytes(dir_.File("conf/parvane/") + name), std::string(name) + "\r\n");
  }
  EXPECT_EQ(ModeOf(dir_.File("conf/parvane")), 0700u);
  ASSERT_TRUE(CreateEmptyFile("scores.txt"));
  EXPECT_EQ(ReadBytes(dir_.File("data/parvane/scores.txt")), "");
  ASSERT_TRUE(Save("replays/b.pvr", "B"));
  ASSERT_TRUE(Save("replays/a.pvr", "A"));
  WriteBytes(dir_.File("data/parvane/replays/.hidden"), "");
  WriteBytes(dir_.File("data/parvane/replays/c.pvr.tmp.Ab12Cd"), "");
  ASSERT_EQ(mkdir(dir_.File("data/parvane/replays/sub").c_str(), 0755), 0);
  EXPECT_EQ(ListFiles("replays"), (std::vector<std::string>{"a.pvr", "b.pvr"}));
  TextStream* r = OpenRead("replays/a.pvr");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ReadLine(r), "A");
  Close(r);
  EXPECT_TRUE(RemoveFile("replays/a.pvr"));
  EXPECT_FALSE(RemoveFile("replays/a.pvr"));
  EXPECT_FALSE(RemoveFile("replays/sub"));
  EXPECT_EQ(ListFiles("replays"), (std::vector<std::string>{"b.pvr"}));

  EXPECT_EQ(GameFileFolder("prefs.txt"), dir_.File("conf/parvane"));
  EXPECT_EQ(GameFilePath("scores.txt"), dir_.File("data/parvane/scores.txt"));
  EXPECT_EQ(GameFileFolder("replays/b.pvr"), dir_.File("data/parvane/replays"));
  // Nothing of the game's landed in the working folder; other names still do.
  EXPECT_EQ(std::system("test -z \"$(ls -A)\""), 0);
  ASSERT_TRUE(Save("notes.txt", "n"));
  EXPECT_EQ(ReadBytes(dir_.File("work/notes.txt")), "n\r\n");
}

TEST_F(UserFolders, UnsetOrRelativeVariablesFallBackToTheHomeFolder) {
  unsetenv("XDG_CONFIG_HOME");
  setenv("XDG_DATA_HOME", "relative/data", 1);
  ASSERT_TRUE(Save("prefs.txt", "p"));
  ASSERT_TRUE(Save("scores.txt", "s"));
  EXPECT_EQ(ReadBytes(dir_.File("home/.config/parvane/prefs.txt")), "p\r\n");
  EXPECT_EQ(ReadBytes(dir_.File("home/.local/share/parvane/scores.txt")), "s\r\n");
  EXPECT_EQ(ListFiles("replays"), std::vector<std::string>{});
  // The help screen's shorter form, only for what is inside the home folder.
  EXPECT_EQ(HomeShortened(GameFileFolder("replays/r.pvr")), "~/.local/share/parvane/replays");
  EXPECT_EQ(HomeShortened(dir_.File("home2/x")), dir_.File("home2/x"));
}

TEST_F(UserFolders, FromTheBuildTreeEverythingStaysInTheWorkingFolder) {
  plat::State().userFolders = false;
  ASSERT_TRUE(Save("prefs.txt", "p"));
  ASSERT_TRUE(Save("replays/r.pvr", "r"));  // the folder is made here too
  EXPECT_EQ(ReadBytes(dir_.File("work/prefs.txt")), "p\r\n");
  EXPECT_EQ(ListFiles("replays"), std::vector<std::string>{"r.pvr"});
  EXPECT_EQ(GameFileFolder("prefs.txt"), dir_.File("work"));
  EXPECT_NE(std::system(("test -e '" + dir_.File("conf") + "'").c_str()), 0);
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
