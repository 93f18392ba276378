#include "content/highscores.h"

#include <algorithm>

#include "platform/platform.h"
#include "platform/savefile.h"

const char* const scoresfile = "scores.txt";

int highscore::Compare(const highscore* other) const {
  if (other == nullptr) return 0;
  return points > other->points ? 1 : -1;
}

void initscores(std::vector<highscore>& list) {
  for (int i = 0; i < highscorecount; i++) {
    highscore entry;
    entry.name = "NOBODY";
    list.push_back(entry);
  }
}

int readscores(std::vector<highscore>& list) {
  TextStream* in = OpenRead(scoresfile);
  if (in == nullptr) {
    // Not there, or not a file: the save below says which once.
    writescores(list);
    in = OpenRead(scoresfile);
    if (in == nullptr) return 1;
  }
  for (highscore& entry : list) {
    if (!Eof(in)) entry.name = ReadLine(in);
    if (!Eof(in)) entry.points = TextToInt64(ReadLine(in));
  }
  // Entries before the damage are kept; the file is saved whole again after
  // the next run that enters the table.
  if (!Close(in)) reportreadfailure(scoresfile);
  return 0;
}

int writescores(const std::vector<highscore>& list) {
  TextStream* out = openreplacing(scoresfile);
  bool saved = out != nullptr;
  if (saved) {
    for (int copy = 0; copy < 3; copy++) {
      for (const highscore& entry : list) {
        WriteLine(out, entry.name);
        WriteLine(out, std::to_string(entry.points));
      }
    }
    saved = Close(out);
  }
  if (!saved) reportsavefailure(scoresfile);
  return saved ? 0 : 1;
}

void sortscores(std::vector<highscore>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const highscore& a, const highscore& b) { return a.Compare(&b) > 0; });
}

void addhighscore(const std::string& name, int score, std::vector<highscore>& list) {
  highscore entry;
  entry.name = name;
  entry.points = static_cast<int64_t>(score);
  list.insert(list.begin(), entry);
  sortscores(list);
  list.pop_back();
}

int worstscore(std::vector<highscore>& list) {
  sortscores(list);
  if (list.size() < static_cast<size_t>(highscorecount)) return 0;
  return static_cast<int>(static_cast<int32_t>(list[highscorecount - 1].points));
}
