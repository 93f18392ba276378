// A fresh folder for one test (or one fuzzing run), removed with everything
// in it when done. Entered, it is the working folder until then: the game
// keeps its files in the working folder, and a test must never touch those
// of a build or a checkout.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class ScratchFolder {
 public:
  // Named after `stem`, under /tmp; inMemory prefers /dev/shm, where saving
  // a file (which syncs it to disk) costs nothing. No folder at all leaves
  // path() empty.
  explicit ScratchFolder(const std::string& stem = "parvane-test", bool inMemory = false) {
    for (const char* root : {"/dev/shm", "/tmp"}) {
      if (!inMemory && std::string(root) == "/dev/shm") continue;
      std::string pattern = std::string(root) + "/" + stem + "-XXXXXX";
      if (mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
        return;
      }
    }
  }
  ~ScratchFolder() {
    std::error_code error;
    if (!home_.empty()) std::filesystem::current_path(home_, error);
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Makes it the working folder; the one before comes back with the
  // destructor. False when there is no folder or it cannot be entered.
  bool Enter() {
    std::error_code error;
    if (path_.empty()) return false;
    home_ = std::filesystem::current_path(error);
    if (error) return false;
    std::filesystem::current_path(path_, error);
    return !error;
  }

  const std::string& path() const { return path_; }
  // The working folder before Enter.
  const std::filesystem::path& home() const { return home_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::filesystem::path home_;
};
