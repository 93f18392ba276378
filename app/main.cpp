// Program entry: the harness options, the platform, then the one game.
#include <cstring>
#include <iostream>
#include <memory>

#include "app/game.h"
#include "platform/platform.h"
#include "replay/replayfile.h"

namespace {

const char* const help =
    "usage: parvane [OPTION]...\n"
    "An arcade game of floppy ragdolls fighting over a ball. Without options it starts\n"
    "at its title menu.\n"
    "\n"
    "  --help                  print this and exit\n"
    "  --version               print the version and exit\n"
    "  --host PORT             host an online game on UDP PORT, straight to its lobby\n"
    "  --join HOST:PORT        join the online game hosted at HOST:PORT\n"
    "  --join CODE             join the online game with this six-character code\n"
    "  --meet HOST[:PORT]      the meeting server for game codes (port 24681 unless\n"
    "                          given); with --host, registers the game and prints its code\n"
    "  --replay FILE           play a saved replay, then exit\n"
    "\n"
    "For scripted runs and tests:\n"
    "  --headless              no window, no audio device, no dialog boxes\n"
    "  --script FILE           input from FILE, one action a line\n"
    "  --trace FILE            one line per drawing, sound and dialog call into FILE\n"
    "  --seed N                fixed random numbers (N from 0 to 4294967295)\n"
    "  --fake-clock            time moves only when the game waits\n"
    "  --max-frames N          close after N frames\n"
    "  --synctest N            roll every match frame back N frames (1 to 8), simulate\n"
    "                          them again and compare; a difference exits with status 3\n"
    "  --netsim LOSS/DELAY/JITTER\n"
    "                          a bad network online: LOSS percent of packets dropped,\n"
    "                          the others sent DELAY plus up to JITTER ms late\n"
    "\n"
    "Exit status: 0 on a normal end, 1 when the game cannot start, 2 for a bad script,\n"
    "3 when --synctest found a difference. See parvane(6).\n";

}  // namespace

int main(int argc, char** argv) {
  // Asked for anywhere on the line, these answer alone.
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::cout << help;
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << "parvane " << gameversion << "\n";
      return 0;
    }
  }
  PlatformConfig config;
  std::string error;
  int status = ParseCommandLine(argc, argv, &config, &error);
  if (status != -1) {
    std::cerr << error << "\n";
    return status;
  }
  status = PlatformInit(config, &error);
  if (status != 0) {
    std::cerr << Printable(error) << "\n";  // it may quote a script's line
    return status;
  }
  auto parvane = std::make_unique<game>();
  try {
    parvane->allgame();
  } catch (const ProgramExit& exit) {
    status = exit.status;
  }
  PlatformShutdown();
  parvane.reset();
  return status;
}
