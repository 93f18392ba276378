// The table of the 20 best single-player scores and its file scores.txt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TextStream;

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
// Opens a file to be written anew. The platform writes to a temporary file
// and renames it on Close, so an existing file is never truncated here: an
// empty file is made first only when none exists yet.
TextStream* openreplacing(const std::string& path);
// Tells the player, once per file in a run, that a save of one of the game's
// files failed: the full path and the reason. The game then goes on with
// the old file, or none.
void reportsavefailure(const std::string& path);
// The same for a file that is there but cannot be read (a folder, a pipe, a
// device) or was damaged; a missing one is no failure. Either is told once.
void reportreadfailure(const std::string& path);
// Forgets which failures were told (a new run, or a test).
void forgetsavefailures();
// Sorts the list best first, ties in any order.
void sortscores(std::vector<highscore>& list);
// Inserts the entry and drops the worst one, so the length stays the same.
void addhighscore(const std::string& name, int score, std::vector<highscore>& list);
// Points of the 20th entry after sorting, or 0 when there is none.
int worstscore(std::vector<highscore>& list);
