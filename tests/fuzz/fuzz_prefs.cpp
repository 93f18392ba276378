// prefs.txt from anywhere: reads the bytes as the options file the way the
// game does at start-up, checks that every option lands where the menus and
// the match can use it, then saves and reads the options back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/game.h"

namespace {
// The fuzzer works in a folder of its own so that it never overwrites the
// prefs.txt of a build or a checkout. Saving syncs the file to disk, so a
// folder in memory is preferred where there is one: it keeps a million saves
// quick. The file functions work without the platform being started; the
// first-run question (which would need it) is never reached because
// prefs.txt always exists.
void enterscratchfolder() {
  static std::string folder;
  if (!folder.empty()) return;
  for (const char* root : {"/dev/shm", "/tmp"}) {
    std::string pattern = std::string(root) + "/fuzz_prefs_XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) {
      folder = pattern;
      break;
    }
  }
  if (folder.empty() || chdir(folder.c_str()) != 0) std::abort();
  std::atexit([] {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
  });
}

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "prefs: %s\n", what);
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
  enterscratchfolder();
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
  return 0;
}
