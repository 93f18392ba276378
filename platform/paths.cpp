// Where things are. The media live beside the executable in the build tree,
// or in an installation's data folder. The game's own files live in the
// working folder when run from the build tree; installed, its configuration
// goes to the user's configuration folder and its scores and replays to the
// user's data folder, so that a launcher starting the game in / or in the
// home folder neither fails to save nor litters.
#include "platform/paths.h"

#include <errno.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/internal.h"

namespace plat {

const char* const kPadMappings = "gamecontrollerdb.txt";

namespace {

std::string ExecutableFolder() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  buf[n] = 0;
  std::string path(buf);
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Absolute(const std::string& path) {
  char buf[PATH_MAX];
  return realpath(path.c_str(), buf) ? std::string(buf) : path;
}

std::string WorkingFolder() {
  char buf[PATH_MAX];
  return getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
}

// The media live beside the executable in the build tree, in the data folder
// of an installation relative to the executable (so a moved prefix still
// works), or in the data folder the build was configured with. "" when
// none is there, with the folders tried in *searched.
std::string FindMediaFolder(std::string* searched) {
  std::vector<std::string> candidates = {ExecutableFolder() + "/media"};
#ifdef PARVANE_REL_DATADIR
  candidates.push_back(ExecutableFolder() + "/../" PARVANE_REL_DATADIR);
#endif
#ifdef PARVANE_DATADIR
  candidates.push_back(PARVANE_DATADIR);
#endif
  searched->clear();
  for (const std::string& folder : candidates) {
    if (IsFolder(folder) && IsFile(folder + "/font.ttf")) return Absolute(folder);
    if (!searched->empty()) *searched += ", ";
    *searched += folder;
  }
  // A folder that lacks the font is still the media folder: the missing
  // file is then named when it is loaded, not hidden behind "no folder".
  for (const std::string& folder : candidates)
    if (IsFolder(folder)) return Absolute(folder);
  return "";
}

// True for media found anywhere but beside the executable: an installation.
bool InstalledMedia(const std::string& mediaDir) {
  return mediaDir != Absolute(ExecutableFolder() + "/media");
}

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

bool Named(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

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

// Where a file named by a relative path belongs.
enum class FileHome { kWorking, kConfig, kData };

FileHome HomeOf(const std::string& path) {
  if (path.empty() || path[0] == '/') return FileHome::kWorking;
  const std::string first = FirstComponent(path);
  const PlatformConfig& config = State().config;
  if (first == kPadMappings || Named(config.configFiles, first)) return FileHome::kConfig;
  if (Named(config.dataFiles, first)) return FileHome::kData;
  return FileHome::kWorking;
}

// The game's folder under the user's configuration or data folder.
std::string UserFolder(FileHome home) {
  if (home == FileHome::kConfig) return BaseFolder("XDG_CONFIG_HOME", ".config") + "/parvane";
  if (home == FileHome::kData) return BaseFolder("XDG_DATA_HOME", ".local/share") + "/parvane";
  return ".";
}

// The path of a game file, in the user's folders when they are in use.
std::string ResolveGameFile(const std::string& path) {
  const FileHome home = HomeOf(path);
  if (home == FileHome::kWorking || !State().userFolders) return path;
  return UserFolder(home) + "/" + path;
}

}  // namespace

bool PlaceFolders(const PlatformConfig& config, Platform* p, std::string* error) {
  if (config.mediaDir.empty()) {
    std::string searched;
    p->mediaDir = FindMediaFolder(&searched);
    if (p->mediaDir.empty()) {
      *error = "no media folder (searched " + searched + ")";
      return false;
    }
    p->userFolders = InstalledMedia(p->mediaDir);
  } else {
    if (!IsFolder(config.mediaDir)) {
      *error = "no media folder (searched " + config.mediaDir + ")";
      return false;
    }
    p->mediaDir = Absolute(config.mediaDir);
  }
  return true;
}

std::string DefaultMediaFolder() {
  std::string searched;
  const std::string found = FindMediaFolder(&searched);
  return found.empty() ? Absolute(ExecutableFolder() + "/media") : found;
}

std::string ResolvePath(const std::string& path) {
  if (path.compare(0, 6, "media/") == 0) return State().mediaDir + path.substr(5);
  return ResolveGameFile(path);
}

std::string SearchedFolder(const std::string& path) {
  return path.compare(0, 6, "media/") == 0 ? State().mediaDir : WorkingFolder();
}

bool MakeFolderFor(const std::string& path) {
  if (HomeOf(path) == FileHome::kWorking) return true;
  const std::string resolved = ResolvePath(path);
  const size_t slash = resolved.rfind('/');
  if (slash == std::string::npos || slash == 0) return true;
  return MakeFolders(resolved.substr(0, slash));
}

}  // namespace plat

std::string MediaFolder() { return plat::State().mediaDir; }

std::string GameFilePath(const std::string& path) {
  std::string resolved = plat::ResolvePath(path);
  if (!resolved.empty() && resolved[0] == '/') return resolved;
  std::string cwd = plat::WorkingFolder();
  if (resolved.compare(0, 2, "./") == 0) resolved.erase(0, 2);
  return cwd + "/" + resolved;
}

std::string GameFileFolder(const std::string& path) {
  const std::string full = GameFilePath(path);
  const size_t slash = full.rfind('/');
  return slash == 0 ? "/" : full.substr(0, slash);
}

std::string HomeShortened(const std::string& path) {
  const std::string home = plat::Home();
  if (home.size() > 1 && path.compare(0, home.size(), home) == 0 &&
      (path.size() == home.size() || path[home.size()] == '/'))
    return "~" + path.substr(home.size());
  return path;
}
