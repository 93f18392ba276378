// Saving one of the game's own files (scores, options, controls): opening
// it to be written anew and telling the player when a save failed.
#pragma once

#include <string>

struct TextStream;

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
