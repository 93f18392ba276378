// For fuzz targets of the files the game keeps in its working folder
// (prefs.txt, scores.txt): every input is played in a scratch folder of the
// fuzzer's own and the working folder is restored afterwards, so the files of
// a build or a checkout are never touched and relative corpus and artifact
// paths keep working. Saving syncs the file to disk, so a folder in memory is
// preferred where there is one. The file functions work without the
// platform being started.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/scratch_folder.h"

namespace scratch {

inline int homefolder = -1;

// Made on first use (named after `stem`) and removed when the program ends.
inline const std::string& folder(const char* stem) {
  static const ScratchFolder made(stem, true);
  if (made.path().empty()) std::abort();
  static bool told = false;
  if (!told) {
    // The fuzzer saves the input of a crash inside the game in the working
    // folder of the moment: this one.
    std::fprintf(stderr, "%s: inputs are played in %s\n", stem, made.path().c_str());
    told = true;
  }
  return made.path();
}

inline void enter(const char* stem) {
  homefolder = open(".", O_RDONLY | O_DIRECTORY);
  if (homefolder < 0 || chdir(folder(stem).c_str()) != 0) std::abort();
}

inline void leave() {
  if (homefolder < 0) return;
  if (fchdir(homefolder) != 0) std::abort();
  close(homefolder);
  homefolder = -1;
}

// Reports a broken rule as a crash, from the working folder, so that the
// fuzzer saves the input where it was asked to.
inline void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "broken: %s\n", what);
  leave();
  std::abort();
}

// Writes the input as the file the game is about to read.
inline void writefile(const char* name, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(name, "wb");
  if (!f) std::abort();
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace scratch
