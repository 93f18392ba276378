// scores.txt from anywhere: loads the bytes into the default table as
// start-up does, then plays what a finished run does with it (the worst
// score, an insertion, saving) and reads the saved file back.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "content/highscores.h"

namespace {
// scores.txt lives in the working folder, so every input is played in a
// scratch folder of the fuzzer's own and the working folder is restored
// afterwards: the scores.txt of a build or a checkout is never touched, and
// relative corpus and artifact paths keep working. Saving syncs the file to
// disk, so a folder in memory is preferred where there is one. The file
// functions work without the platform being started.
int homefolder = -1;

const std::string& scratchfolder() {
  static std::string folder;
  if (!folder.empty()) return folder;
  for (const char* root : {"/dev/shm", "/tmp"}) {
    std::string pattern = std::string(root) + "/fuzz_scores_XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) {
      folder = pattern;
      break;
    }
  }
  if (folder.empty()) std::abort();
  // The fuzzer saves the input of a crash inside the game in the working
  // folder of the moment: this one.
  std::fprintf(stderr, "fuzz_scores: inputs are played in %s\n", folder.c_str());
  std::atexit([] {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
  });
  return folder;
}

void enterscratch() {
  homefolder = open(".", O_RDONLY | O_DIRECTORY);
  if (homefolder < 0 || chdir(scratchfolder().c_str()) != 0) std::abort();
}

void leavescratch() {
  if (homefolder < 0) return;
  if (fchdir(homefolder) != 0) std::abort();
  close(homefolder);
  homefolder = -1;
}

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "scores: %s\n", what);
  leavescratch();  // the fuzzer saves the input where it was asked to
  std::abort();
}

void checktable(const std::vector<highscore>& list) {
  check(list.size() == static_cast<size_t>(highscorecount), "the table lost its 20 entries");
  for (const highscore& entry : list) {
    // A name is one line of the file: it must never break the file apart.
    check(entry.name.find_first_of(std::string("\r\n\0", 3)) == std::string::npos,
          "a name holds a line break or a zero byte");
  }
}

void checksorted(const std::vector<highscore>& list) {
  for (size_t i = 1; i < list.size(); i++) {
    check(list[i - 1].points >= list[i].points, "the table is not best first");
  }
}

size_t countentries(const std::vector<highscore>& list, const std::string& name, int64_t points) {
  size_t n = 0;
  for (const highscore& entry : list) n += entry.name == name && entry.points == points;
  return n;
}

std::vector<highscore> load() {
  std::vector<highscore> list;
  initscores(list);
  readscores(list);
  return list;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  enterscratch();
  FILE* f = std::fopen("scores.txt", "wb");
  if (!f) std::abort();
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);

  std::vector<highscore> list = load();
  checktable(list);

  const int worst = worstscore(list);
  checktable(list);
  checksorted(list);
  check(worst == static_cast<int32_t>(list.back().points), "worst score is not the 20th entry");

  // The new score comes from the first bytes, so the fuzzer can aim it at
  // the worst entry, ties and the ends of the 32-bit range included.
  int32_t score = 0;
  if (size > 0) std::memcpy(&score, data, size < sizeof score ? size : sizeof score);
  const std::string name = "FUZZ";
  const size_t before = countentries(list, name, score);
  const bool qualifies = score > list.back().points;
  addhighscore(name, score, list);
  checktable(list);
  checksorted(list);
  if (qualifies) check(countentries(list, name, score) == before + 1, "a better score was lost");

  // A saved table comes back exactly as it was, in the same order.
  check(writescores(list) == 0, "scores.txt could not be saved");
  const std::vector<highscore> again = load();
  checktable(again);
  for (size_t i = 0; i < list.size(); i++) {
    check(again[i].name == list[i].name && again[i].points == list[i].points,
          "the saved table reads back differently");
  }
  leavescratch();
  return 0;
}
