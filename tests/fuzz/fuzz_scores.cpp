// scores.txt from anywhere: loads the bytes into the default table as
// start-up does, then plays what a finished run does with it (the worst
// score, an insertion, saving) and reads the saved file back.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "content/highscores.h"
#include "tests/fuzz/scratchfolder.h"

namespace {
using scratch::check;

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
  scratch::enter("fuzz_scores");
  scratch::writefile("scores.txt", data, size);

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
  scratch::leave();
  return 0;
}
