// The command line: the game's own options, beside the platform's.
#pragma once

#include <string>

struct PlatformConfig;

// What the command line asks of the game.
struct commandline {
  std::string replay;  // --replay: the replay file to play instead of the menus
  int synctest = 0;    // --synctest: frames rolled back and simulated again, 0 off
  int hostport = 0;    // --host: the UDP port to open the online lobby on, 0 none
  std::string join;    // --join: "HOST:PORT" or a game code, empty for none
  std::string meet;    // --meet: "HOST[:PORT]" of the meeting server, empty for the usual one
  std::string netsim;  // --netsim: "LOSS/DELAY/JITTER", empty for a plain network
};

// Reads the command line: the platform's options into *platform, the
// game's into *args. Returns -1 when the game should start; otherwise the
// status to end with at once, after *message goes to standard output
// (status 0: --help or --version) or to standard error (status 1: a bad
// command line).
int readcommandline(int argc, char** argv, PlatformConfig* platform, commandline* args,
                    std::string* message);
