// Where the game's own files live. Run from the build tree, everything is
// relative to the working folder. Installed, the options go to the user's
// configuration folder and the scores and replays to the user's data folder,
// so that a launcher starting the game in / or in the home folder neither
// fails to save nor litters.
#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/internal.h"

namespace plat {

namespace {

// A folder may hold any number of files; a listing keeps this many.
constexpr size_t kMaxListed = 4096;

std::string Home() {
  const char* home = getenv("HOME");
  if (home && home[0] == '/') return home;
  struct passwd* pw = getpwuid(getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "/";
}

// $VARIABLE when it holds an absolute path (relative ones are to be ignored,
// the desktop conventions say), otherwise the fallback under the home folder.
std::string BaseFolder(const char* variable, const char* fallback) {
  const char* value = getenv(variable);
  if (value && value[0] == '/') return value;
  return Home() + "/" + fallback;
}

std::string FirstComponent(const std::string& path) { return path.substr(0, path.find('/')); }

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return true;
  struct stat st;
  if (stat(folder.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash)))
    return false;
  // Private, as the desktop conventions ask of these folders.
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

FileHome HomeOf(const std::string& path) {
  if (path.empty() || path[0] == '/') return FileHome::kWorking;
  const std::string first = FirstComponent(path);
  if (first == "prefs.txt" || first == "controls.txt" || first == "lastjoin.txt" || first == "online.txt" ||
      first == "gamecontrollerdb.txt")
    return FileHome::kConfig;
  if (first == "scores.txt" || first == "replays") return FileHome::kData;
  return FileHome::kWorking;
}

std::string UserFolder(FileHome home) {
  if (home == FileHome::kConfig) return BaseFolder("XDG_CONFIG_HOME", ".config") + "/parvane";
  if (home == FileHome::kData) return BaseFolder("XDG_DATA_HOME", ".local/share") + "/parvane";
  return ".";
}

std::string ResolveGameFile(const std::string& path) {
  const FileHome home = HomeOf(path);
  if (home == FileHome::kWorking || !State().userFolders) return path;
  return UserFolder(home) + "/" + path;
}

bool MakeFolderFor(const std::string& path) {
  if (HomeOf(path) == FileHome::kWorking) return true;
  const std::string resolved = ResolvePath(path);
  const size_t slash = resolved.rfind('/');
  if (slash == std::string::npos || slash == 0) return true;
  return MakeFolders(resolved.substr(0, slash));
}

}  // namespace plat

std::string GameFilePath(const std::string& path) {
  std::string resolved = plat::ResolvePath(path);
  if (!resolved.empty() && resolved[0] == '/') return resolved;
  char buf[PATH_MAX];
  std::string cwd = getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
  if (resolved.compare(0, 2, "./") == 0) resolved.erase(0, 2);
  return cwd + "/" + resolved;
}

std::string GameFileFolder(const std::string& path) {
  const std::string full = GameFilePath(path);
  const size_t slash = full.rfind('/');
  return slash == 0 ? "/" : full.substr(0, slash);
}

std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> names;
  const std::string resolved = plat::ResolvePath(folder);
  DIR* dir = opendir(resolved.c_str());
  if (!dir) return names;
  while (struct dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    // Hidden files and the leftovers of an interrupted save are not files
    // the player made.
    if (name.empty() || name[0] == '.') continue;
    const size_t tmp = name.rfind(".tmp.");
    if (tmp != std::string::npos && tmp + 11 == name.size()) continue;
    struct stat st;
    if (stat((resolved + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    names.push_back(name);
    if (names.size() >= plat::kMaxListed) break;
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string FileDate(const std::string& path) {
  struct stat st;
  if (stat(plat::ResolvePath(path).c_str(), &st) != 0) return "";
  if (RunConfig().fakeClock) return "2000-01-01 00:00";
  struct tm local;
  char text[32];
  if (localtime_r(&st.st_mtime, &local) == nullptr ||
      strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) == 0)
    return "";
  return text;
}

bool RemoveFile(const std::string& path) {
  const std::string resolved = plat::ResolvePath(path);
  struct stat st;
  // Only files: a folder or a device by that name stays.
  if (lstat(resolved.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return unlink(resolved.c_str()) == 0;
}
