// The platform's own options of the command line: how it runs (window or
// harness). The game reads the rest.
#include "platform/platform.h"

int TakePlatformOption(int argc, char** argv, int* at, PlatformConfig* config, std::string* error) {
  const std::string arg = argv[*at];
  const char* v = nullptr;
  auto value = [&]() {
    if (*at + 1 >= argc) return false;
    v = argv[++*at];
    return true;
  };
  uint64_t n = 0;
  if (arg == "--headless") {
    config->headless = true;
  } else if (arg == "--fake-clock") {
    config->fakeClock = true;
  } else if (arg == "--script" || arg == "--trace") {
    if (!value() || !*v) {
      *error = arg + " needs a file name";
      return -1;
    }
    (arg == "--script" ? config->script : config->trace) = v;
  } else if (arg == "--seed") {
    if (!value() || !ReadDecimal(v, 0xffffffffull, &n)) {
      *error = "--seed needs a number from 0 to 4294967295";
      return -1;
    }
    config->seeded = true;
    config->seed = static_cast<uint32_t>(n);
  } else if (arg == "--max-frames") {
    if (!value() || !ReadDecimal(v, 2147483647ull, &n) || n == 0) {
      *error = "--max-frames needs a number of frames from 1 up";
      return -1;
    }
    config->maxFrames = static_cast<long>(n);
  } else {
    return 0;
  }
  return 1;
}
