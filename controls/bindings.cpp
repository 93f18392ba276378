#include "controls/bindings.h"

#include <sstream>

#include "platform/platform.h"
#include "platform/savefile.h"

const char* const controlsfile = "controls.txt";

namespace {

// Lines read from the file at most: a real one has sixteen, and a huge file
// must not be read into memory.
constexpr int maxlines = 256;
constexpr size_t maxlinelength = 64;

const char* const actionnames[controlactions] = {"LEFT", "RIGHT", "UP", "DOWN"};

int parseaction(const std::string& word) {
  for (int a = 0; a < controlactions; a++)
    if (word == actionnames[a]) return a;
  return -1;
}

// A key code of one to three digits; NONE is 0; -1 otherwise.
int parsekey(const std::string& word) {
  if (word == "NONE") return 0;
  if (word.empty() || word.size() > 3) return -1;
  int v = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return bindablekey(v) ? v : -1;
}

}  // namespace

bool keybindings::operator==(const keybindings& o) const {
  for (int p = 0; p < controlplayers; p++)
    for (int a = 0; a < controlactions; a++)
      if (keys[p][a] != o.keys[p][a]) return false;
  return true;
}

keybindings defaultbindings() {
  keybindings b;
  const int defaults[3][controlactions] = {
      {keyleft, keyright, keyup, keydown}, {'A', 'D', 'W', 'S'}, {'J', 'L', 'I', 'K'}};
  for (int p = 0; p < 3; p++)
    for (int a = 0; a < controlactions; a++) b.keys[p][a] = defaults[p][a];
  return b;
}

const char* actionname(int action) {
  return action >= 0 && action < controlactions ? actionnames[action] : "";
}

bool bindablekey(int key) {
  // Letters, digits, the keypad digits, Space, Backspace, Tab and the arrows:
  // every key the keyboard reports but Enter, Esc and P.
  if (key == keypause) return false;
  return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || (key >= 96 && key <= 105) ||
         key == keyspace || key == 8 || key == 9 || (key >= keyleft && key <= keydown);
}

std::string keyname(int key) {
  switch (key) {
    case 0:
      return "NONE";
    case 8:
      return "BACKSPACE";
    case 9:
      return "TAB";
    case keyenter:
      return "ENTER";
    case keyesc:
      return "ESC";
    case keyspace:
      return "SPACE";
    case keyleft:
      return "LEFT";
    case keyup:
      return "UP";
    case keyright:
      return "RIGHT";
    case keydown:
      return "DOWN";
    default:
      break;
  }
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
  if (key >= 96 && key <= 105) return "KEYPAD " + std::to_string(key - 96);
  return "KEY " + std::to_string(key);
}

std::string keyuser(const keybindings& b, int key, int player, int action) {
  if (key == keypause) return "PAUSE";
  if (key == keyesc) return "ESC";
  if (key == keyenter) return "ENTER";
  for (int p = 0; p < controlplayers; p++) {
    for (int a = 0; a < controlactions; a++) {
      if (p == player && a == action) continue;
      if (key != 0 && b.keys[p][a] == key)
        return "PLAYER " + std::to_string(p + 1) + " " + actionnames[a];
    }
  }
  return "";
}

std::string bindkey(keybindings& b, int player, int action, int key) {
  if (player < 0 || player >= controlplayers || action < 0 || action >= controlactions) return "";
  std::string user = keyuser(b, key, player, action);
  if (user.empty() && !bindablekey(key)) user = "THE GAME";
  if (user.empty()) b.keys[player][action] = key;
  return user;
}

keybindings parsebindings(const std::vector<std::string>& lines) {
  keybindings b;
  bool set[controlplayers][controlactions] = {};
  int used[256] = {};  // 1 once a line has taken the key
  for (const std::string& line : lines) {
    if (line.size() > maxlinelength) continue;
    std::istringstream words(line);
    std::string player, action, key, extra;
    words >> player >> action >> key >> extra;
    if (player.size() != 1 || player[0] < '1' || player[0] > '4' || !extra.empty()) continue;
    const int p = player[0] - '1';
    const int a = parseaction(action);
    const int k = parsekey(key);
    if (a < 0 || k < 0 || set[p][a] || (k != 0 && used[k])) continue;
    set[p][a] = true;
    b.keys[p][a] = k;
    if (k != 0) used[k] = 1;
  }
  // Actions the file left out get their own key back, when it is still free.
  const keybindings defaults = defaultbindings();
  for (int p = 0; p < controlplayers; p++) {
    for (int a = 0; a < controlactions; a++) {
      if (set[p][a]) continue;
      const int k = defaults.keys[p][a];
      b.keys[p][a] = k != 0 && !used[k] ? k : 0;
      if (b.keys[p][a] != 0) used[k] = 1;
    }
  }
  return b;
}

std::vector<std::string> bindinglines(const keybindings& b) {
  std::vector<std::string> lines;
  for (int p = 0; p < controlplayers; p++) {
    for (int a = 0; a < controlactions; a++) {
      const int k = b.keys[p][a];
      lines.push_back(std::to_string(p + 1) + " " + actionnames[a] + " " +
                      (k == 0 ? std::string("NONE") : std::to_string(k)));
    }
  }
  return lines;
}

keybindings readbindings() {
  TextStream* in = OpenRead(controlsfile);
  if (in == nullptr) {
    reportreadfailure(controlsfile);
    return defaultbindings();
  }
  std::vector<std::string> lines;
  while (!Eof(in) && static_cast<int>(lines.size()) < maxlines) {
    std::string line = ReadLine(in);
    // An overlong line is no binding; keep only enough to know that.
    if (line.size() > maxlinelength) line.resize(maxlinelength + 1);
    lines.push_back(std::move(line));
  }
  if (!Close(in)) reportreadfailure(controlsfile);
  return parsebindings(lines);
}

bool writebindings(const keybindings& b) {
  TextStream* out = openreplacing(controlsfile);
  bool saved = out != nullptr;
  if (saved) {
    for (const std::string& line : bindinglines(b)) WriteLine(out, line);
    saved = Close(out);
  }
  if (!saved) reportsavefailure(controlsfile);
  return saved;
}
