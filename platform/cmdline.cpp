// The harness options of the command line.
#include <cstring>

#include "platform/platform.h"

namespace {

// Decimal digits only, at most `limit`.
bool ParseNumber(const char* text, unsigned long long limit, unsigned long long* out) {
  if (!text || !*text || strlen(text) > 20) return false;
  unsigned long long v = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    unsigned long long d = static_cast<unsigned long long>(*c - '0');
    if (d > limit || v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  *out = v;
  return true;
}

// "HOST:PORT": a host name or address of sensible characters, a port.
bool ValidJoin(const char* text) {
  const std::string s = text;
  const size_t colon = s.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon > 253) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = s[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
          c == '.' || c == '-'))
      return false;
  }
  unsigned long long port = 0;
  return ParseNumber(s.c_str() + colon + 1, 65535, &port) && port > 0;
}

// A game code: six letters and digits, the meeting server checks the rest.
bool ValidCode(const char* text) {
  const std::string s = text;
  if (s.size() != 6) return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

// "HOST" or "HOST:PORT".
bool ValidServer(const char* text) {
  const std::string s = text;
  return s.find(':') == std::string::npos ? ValidJoin((s + ":1").c_str()) : ValidJoin(text);
}

// "LOSS/DELAY/JITTER": three numbers, the loss a percentage.
bool ValidNetsim(const char* text) {
  const std::string s = text;
  const size_t a = s.find('/');
  const size_t b = a == std::string::npos ? a : s.find('/', a + 1);
  if (b == std::string::npos) return false;
  unsigned long long loss = 0, delay = 0, jitter = 0;
  return ParseNumber(s.substr(0, a).c_str(), 100, &loss) &&
         ParseNumber(s.substr(a + 1, b - a - 1).c_str(), 5000, &delay) &&
         ParseNumber(s.substr(b + 1).c_str(), 5000, &jitter);
}

}  // namespace

int ParseCommandLine(int argc, char** argv, PlatformConfig* config, std::string* error) {
  const char* usage =
      "usage: parvane [--headless] [--script FILE] [--trace FILE] [--seed N] [--fake-clock] "
      "[--max-frames N] [--replay FILE] [--synctest N] [--host PORT | --join HOST:PORT | --join CODE] "
      "[--meet HOST[:PORT]] [--netsim LOSS/DELAY/JITTER]";
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char** out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    const char* v = nullptr;
    unsigned long long n = 0;
    if (arg == "--headless") {
      config->headless = true;
    } else if (arg == "--fake-clock") {
      config->fakeClock = true;
    } else if (arg == "--script" || arg == "--trace" || arg == "--replay") {
      if (!value(&v) || !*v) {
        *error = arg + " needs a file name\n" + usage;
        return 1;
      }
      (arg == "--script" ? config->script : arg == "--trace" ? config->trace : config->replay) = v;
    } else if (arg == "--synctest") {
      if (!value(&v) || !ParseNumber(v, 8, &n) || n == 0) {
        *error = "--synctest needs a number of frames from 1 to 8\n" + std::string(usage);
        return 1;
      }
      config->synctest = static_cast<int>(n);
    } else if (arg == "--seed") {
      if (!value(&v) || !ParseNumber(v, 0xffffffffull, &n)) {
        *error = "--seed needs a number from 0 to 4294967295\n" + std::string(usage);
        return 1;
      }
      config->seeded = true;
      config->seed = static_cast<uint32_t>(n);
    } else if (arg == "--max-frames") {
      if (!value(&v) || !ParseNumber(v, 2147483647ull, &n) || n == 0) {
        *error = "--max-frames needs a number of frames from 1 up\n" + std::string(usage);
        return 1;
      }
      config->maxFrames = static_cast<long>(n);
    } else if (arg == "--host") {
      if (!value(&v) || !ParseNumber(v, 65535, &n) || n == 0) {
        *error = "--host needs a UDP port from 1 to 65535\n" + std::string(usage);
        return 1;
      }
      config->hostPort = static_cast<int>(n);
    } else if (arg == "--join") {
      if (!value(&v) || !(ValidJoin(v) || ValidCode(v))) {
        *error = "--join needs HOST:PORT with a port from 1 to 65535, or a game code\n" + std::string(usage);
        return 1;
      }
      config->join = v;
    } else if (arg == "--meet") {
      if (!value(&v) || !ValidServer(v)) {
        *error = "--meet needs HOST or HOST:PORT with a port from 1 to 65535\n" + std::string(usage);
        return 1;
      }
      config->meet = v;
    } else if (arg == "--netsim") {
      if (!value(&v) || !ValidNetsim(v)) {
        *error = "--netsim needs LOSS/DELAY/JITTER: a loss from 0 to 100 percent and two delays "
                 "from 0 to 5000 ms\n" + std::string(usage);
        return 1;
      }
      config->netsim = v;
    } else {
      *error = "unknown argument \"" + arg + "\"\n" + usage;
      return 1;
    }
  }
  if (config->hostPort && !config->join.empty()) {
    *error = "--host and --join cannot go together\n" + std::string(usage);
    return 1;
  }
  return -1;
}
