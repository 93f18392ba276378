// Program entry: the command line, the platform, then the one game.
#include <iostream>
#include <memory>

#include "app/cmdline.h"
#include "app/game.h"
#include "app/gamefiles.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  PlatformConfig config;
  commandline args;
  std::string message;
  int status = readcommandline(argc, argv, &config, &args, &message);
  if (status != -1) {
    (status == 0 ? std::cout : std::cerr) << message;
    return status;
  }
  placegamefiles(&config);
  std::string error;
  status = PlatformInit(config, &error);
  if (status != 0) {
    std::cerr << Printable(error) << "\n";  // it may quote a script's line
    return status;
  }
  auto parvane = std::make_unique<game>();
  parvane->cmdline = args;
  try {
    parvane->allgame();
  } catch (const ProgramExit& exit) {
    status = exit.status;
  }
  PlatformShutdown();
  parvane.reset();
  return status;
}
