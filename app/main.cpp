// Program entry: the harness options, the platform, then the one game.
#include <iostream>
#include <memory>

#include "app/game.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
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
