#include "platform/savefile.h"

#include <set>

#include "platform/platform.h"

TextStream* openreplacing(const std::string& path) {
  TextStream* out = OpenWrite(path);
  if (out != nullptr) return out;
  TextStream* existing = OpenRead(path);
  if (existing != nullptr) {
    Close(existing);
    return nullptr;
  }
  if (!CreateEmptyFile(path)) return nullptr;
  return OpenWrite(path);
}

namespace {
std::set<std::string>& toldfailures() {
  static std::set<std::string> told;
  return told;
}
}  // namespace

void reportsavefailure(const std::string& path) {
  if (!toldfailures().insert(path).second) return;
  Notify("could not save " + GameFilePath(path) + ": " + LastFileError());
}

void reportreadfailure(const std::string& path) {
  const std::string why = LastFileError();
  if (why.empty() || !toldfailures().insert(path).second) return;
  Notify("could not read " + GameFilePath(path) + ": " + why);
}

void forgetsavefailures() { toldfailures().clear(); }
