#include "app/cmdline.h"

#include "platform/platform.h"
#include "replay/replayfile.h"

namespace {

const char* const usage =
    "usage: parvane [--headless] [--script FILE] [--trace FILE] [--seed N] [--fake-clock] "
    "[--max-frames N] [--replay FILE] [--synctest N] [--host PORT | --join HOST:PORT | --join "
    "CODE] "
    "[--meet HOST[:PORT]] [--netsim LOSS/DELAY/JITTER]";

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

// "HOST:PORT": a host name or address of sensible characters, a port.
bool validjoin(const std::string& s) {
  const size_t colon = s.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon > 253) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = s[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
          c == '-'))
      return false;
  }
  uint64_t port = 0;
  return ReadDecimal(s.substr(colon + 1), 65535, &port) && port > 0;
}

// A game code: six letters and digits, the meeting server checks the rest.
bool validcode(const std::string& s) {
  if (s.size() != 6) return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

// "HOST" or "HOST:PORT".
bool validserver(const std::string& s) {
  return validjoin(s.find(':') == std::string::npos ? s + ":1" : s);
}

// "LOSS/DELAY/JITTER": three numbers, the loss a percentage.
bool validnetsim(const std::string& s) {
  const size_t a = s.find('/');
  const size_t b = a == std::string::npos ? a : s.find('/', a + 1);
  if (b == std::string::npos) return false;
  uint64_t loss = 0, delay = 0, jitter = 0;
  return ReadDecimal(s.substr(0, a), 100, &loss) &&
         ReadDecimal(s.substr(a + 1, b - a - 1), 5000, &delay) &&
         ReadDecimal(s.substr(b + 1), 5000, &jitter);
}

// Takes the game's option at argv[*at] as TakePlatformOption takes the
// platform's.
int takegameoption(int argc, char** argv, int* at, commandline* args, std::string* error) {
  const std::string arg = argv[*at];
  std::string v;
  auto value = [&]() {
    if (*at + 1 >= argc) return false;
    v = argv[++*at];
    return true;
  };
  uint64_t n = 0;
  if (arg == "--replay") {
    if (!value() || v.empty()) {
      *error = "--replay needs a file name";
      return -1;
    }
    args->replay = v;
  } else if (arg == "--synctest") {
    if (!value() || !ReadDecimal(v, 8, &n) || n == 0) {
      *error = "--synctest needs a number of frames from 1 to 8";
      return -1;
    }
    args->synctest = static_cast<int>(n);
  } else if (arg == "--host") {
    if (!value() || !ReadDecimal(v, 65535, &n) || n == 0) {
      *error = "--host needs a UDP port from 1 to 65535";
      return -1;
    }
    args->hostport = static_cast<int>(n);
  } else if (arg == "--join") {
    if (!value() || !(validjoin(v) || validcode(v))) {
      *error = "--join needs HOST:PORT with a port from 1 to 65535, or a game code";
      return -1;
    }
    args->join = v;
  } else if (arg == "--meet") {
    if (!value() || !validserver(v)) {
      *error = "--meet needs HOST or HOST:PORT with a port from 1 to 65535";
      return -1;
    }
    args->meet = v;
  } else if (arg == "--netsim") {
    if (!value() || !validnetsim(v)) {
      *error =
          "--netsim needs LOSS/DELAY/JITTER: a loss from 0 to 100 percent and two delays "
          "from 0 to 5000 ms";
      return -1;
    }
    args->netsim = v;
  } else {
    return 0;
  }
  return 1;
}

}  // namespace

int readcommandline(int argc, char** argv, PlatformConfig* platform, commandline* args,
                    std::string* message) {
  // Asked for anywhere on the line, these answer alone.
  for (int i = 1; i < argc; i++) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      *message = help;
      return 0;
    }
    if (arg == "--version") {
      *message = "parvane " + std::string(gameversion) + "\n";
      return 0;
    }
  }
  std::string error;
  for (int i = 1; i < argc && error.empty(); i++) {
    int taken = TakePlatformOption(argc, argv, &i, platform, &error);
    if (taken == 0) taken = takegameoption(argc, argv, &i, args, &error);
    if (taken == 0) error = "unknown argument \"" + std::string(argv[i]) + "\"";
  }
  if (error.empty() && args->hostport != 0 && !args->join.empty())
    error = "--host and --join cannot go together";
  if (error.empty()) return -1;
  *message = error + "\n" + usage + "\n";
  return 1;
}
