#include "replay/replayfolder.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/platform.h"

const char* const replaysfolder = "replays";

namespace {

const char* const prefix = "replay-";
const char* const suffix = ".pvr";
constexpr long largestnumber = 999999999;

}  // namespace

long replaynumber(const std::string& name) {
  const std::string p = prefix, s = suffix;
  if (name.size() <= p.size() + s.size() || name.compare(0, p.size(), p) != 0 ||
      name.compare(name.size() - s.size(), s.size(), s) != 0)
    return -1;
  std::string digits = name.substr(p.size(), name.size() - p.size() - s.size());
  if (digits.size() > 9) return -1;
  long n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string savereplayfile(const std::string& bytes) {
  if (!MakeFolder(replaysfolder)) return "";
  // Numbered one past the newest, so names sort by age and repeat from run
  // to run.
  std::vector<long> numbers;
  for (const std::string& name : ListFolder(replaysfolder)) {
    long n = replaynumber(name);
    if (n >= 0) numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  long next = numbers.empty() ? 1 : std::min(numbers.back() + 1, largestnumber);
  char name[64];
  std::snprintf(name, sizeof name, "%s/%s%06ld%s", replaysfolder, prefix, next, suffix);
  if (!WriteWholeFile(name, bytes)) return "";
  if (numbers.empty() || numbers.back() != next) numbers.push_back(next);
  while (numbers.size() > static_cast<size_t>(keptreplays)) {
    char old[64];
    std::snprintf(old, sizeof old, "%s/%s%06ld%s", replaysfolder, prefix, numbers.front(), suffix);
    RemoveFile(old);
    numbers.erase(numbers.begin());
  }
  return name;
}
