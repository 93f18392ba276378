// The match seen again from its own inputs: the instant replay of the end
// screens, and the mark every replay shows.
#pragma once

class tlevel;
class inputcapture;
class framepacer;

// Shows the match so far again from its start at the pace of the live
// loop, then puts the state back. Esc ends it early.
void instantreplay(tlevel& level, inputcapture& capture, framepacer& pacer);

// "REPLAY" in the corner while a recorded match is shown.
void drawreplaymark(int xwin, int ywin);
