// The layout of a match's snapshot, and so of the checksums replays record.
#pragma once

// Step it with every change of what match/state.cpp's visitor walks or of
// the order it walks it in; the replay formats (replay/replayfile.cpp)
// then need a new one, whose files' checksums hash the new layout.
constexpr int snapshotformat = 1;
