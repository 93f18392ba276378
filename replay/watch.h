// A replay watched with the keys: P pauses, Right and Left step one frame
// while paused, Up and Down change the speed, Left held while playing
// rewinds, Esc leaves. A bar at the bottom shows where in the match it is.
#pragma once

#include "match/tlevel.h"
#include "replay/replayfile.h"

// Returns as playrecorded does; the match shown, and the state it ends in,
// are the recorded ones whatever was paused, stepped or rewound.
int watchreplay(tlevel& level, const replayrecord& r, bool* finished);
