// prefs.txt from anywhere: reads the bytes as the options file the way the
// game does at start-up, checks that every option lands where the menus and
// the match can use it, then saves and reads the options back.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/game.h"

namespace {
// prefs.txt lives in the working folder, so every input is played in a
// scratch folder of the fuzzer's own and the working folder is restored
// afterwards: the prefs.txt of a build or a checkout is never touched, and
// relative corpus and artifact paths keep working. Saving syncs the file to
// disk, so a folder in memory is preferred where there is one. The file
// functions work without the platform being started.
int homefolder = -1;

const std::string& scratchfolder() {
  static std::string folder;
  if (!folder.empty()) return folder;
  for (const char* root : {"/dev/shm", "/tmp"}) {
    std::string pattern = std::string(root) + "/fuzz_prefs_XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) {
      folder = pattern;
      break;
    }
  }
  if (folder.empty()) std::abort();
  // The fuzzer saves the input of a crash inside the game in the working
  // folder of the moment: this one.
  std::fprintf(stderr, "fuzz_prefs: inputs are played in %s\n", folder.c_str());
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
  std::fprintf(stderr, "prefs: %s\n", what);
  leavescratch();  // the fuzzer saves the input where it was asked to
  std::abort();
}

void checkrange(const game& g) {
  check(g.optres >= 1 && g.optres <= 3, "resolution out of range");
  check(g.optfullscr == 0 || g.optfullscr == 1, "full screen flag out of range");
  check(g.opttrail >= 0 && g.opttrail <= 2, "trail out of range");
  check(g.optfireworks == 0 || g.optfireworks == 1, "fireworks flag out of range");
  check(g.musicvolume >= 0 && g.musicvolume <= 10, "music volume out of range");
  check(g.maxinitiallevel <= 40, "initial level past the last level");
  check(g.initiallevel == g.maxinitiallevel, "initial level differs from the unlocked one");
}

void readfresh(game& g) {
  g.initprefs();
  g.readprefs();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  enterscratch();
  // The file always exists, so the first-run question is never asked.
  FILE* f = std::fopen("prefs.txt", "wb");
  if (!f) std::abort();
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);

  game first;
  readfresh(first);
  checkrange(first);

  // What the game saves must come back unchanged at the next start.
  check(first.writeprefs() == 0, "prefs.txt could not be saved");
  game second;
  readfresh(second);
  check(second.optres == first.optres && second.optfullscr == first.optfullscr &&
            second.opttrail == first.opttrail && second.optfireworks == first.optfireworks &&
            second.musicvolume == first.musicvolume &&
            second.maxinitiallevel == first.maxinitiallevel,
        "saved options read back differently");
  leavescratch();
  return 0;
}
