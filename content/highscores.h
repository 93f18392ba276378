// The table of the 20 best single-player scores and its file scores.txt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class highscore {
 public:
  int64_t points = 0;
  std::string name;

  // 1 when this entry beats `other`, -1 otherwise (ties included); 0 when
  // there is nothing to compare with.
  int Compare(const highscore* other) const;
};

constexpr int highscorecount = 20;
extern const char* const scoresfile;

// Appends 20 entries "NOBODY" with 0 points.
void initscores(std::vector<highscore>& list);
// Overwrites the entries in order from scores.txt; creates the file from the
// list when it is missing. Entries the file does not cover keep their values.
int readscores(std::vector<highscore>& list);
// Writes the table three times over, name and points on lines of their own.
// Returns 0 on success, 1 when the file could not be saved.
int writescores(const std::vector<highscore>& list);
// Sorts the list best first, ties in any order.
void sortscores(std::vector<highscore>& list);
// Inserts the entry and drops the worst one, so the length stays the same.
void addhighscore(const std::string& name, int score, std::vector<highscore>& list);
// Points of the 20th entry after sorting, or 0 when there is none.
int worstscore(std::vector<highscore>& list);
