#include "platform/script.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace plat {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Decimal digits only, at most `limit`; -1 otherwise.
long ParseCount(const std::string& s, long limit) {
  if (s.empty() || s.size() > 12) return -1;
  long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v <= limit ? v : -1;
}

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && IsBlank(s[a])) ++a;
  while (b > a && IsBlank(s[b - 1])) --b;
  return s.substr(a, b - a);
}

}  // namespace

int ParseKeyName(const std::string& name) {
  static const struct {
    const char* name;
    int code;
  } kNames[] = {{"ENTER", 13}, {"ESC", 27},   {"SPACE", 32}, {"LEFT", 37},
                {"UP", 38},    {"RIGHT", 39}, {"DOWN", 40},  {"BACKSPACE", 8}};
  for (const auto& k : kNames)
    if (name == k.name) return k.code;
  if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') return name[0];
  // A lone digit is the digit key, not the code; longer numbers are codes.
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') return name[0];
  return ParseCount(name, 255);
}

int ParsePadButton(const std::string& name) {
  static const char* const kNames[] = {"a",
                                       "b",
                                       "x",
                                       "y",
                                       "back",
                                       "guide",
                                       "start",
                                       "leftstick",
                                       "rightstick",
                                       "leftshoulder",
                                       "rightshoulder",
                                       "dpup",
                                       "dpdown",
                                       "dpleft",
                                       "dpright"};
  for (int i = 0; i < static_cast<int>(sizeof kNames / sizeof kNames[0]); i++)
    if (name == kNames[i]) return i;
  return -1;
}

int ParsePadAxis(const std::string& name) {
  static const char* const kNames[] = {"leftx",  "lefty",       "rightx",
                                       "righty", "lefttrigger", "righttrigger"};
  for (int i = 0; i < 6; i++)
    if (name == kNames[i]) return i;
  return -1;
}

namespace {

// A plain decimal real: optional sign, digits with at most one point.
bool ParsePadValue(const std::string& s, float* value) {
  size_t i = s[0] == '-' || s[0] == '+' ? 1 : 0;
  int digits = 0, points = 0;
  for (size_t k = i; k < s.size(); k++) {
    if (s[k] >= '0' && s[k] <= '9')
      ++digits;
    else if (s[k] == '.' && points == 0)
      ++points;
    else
      return false;
  }
  if (digits == 0 || s.size() > 20) return false;
  *value = std::strtof(s.c_str(), nullptr);
  return true;
}

// The arguments of a `pad` line: "N connect [NAME]", "N disconnect",
// "N down|up|press BUTTON", "N axis AXIS VALUE". Empty on success,
// otherwise the reason.
std::string ParsePadLine(const std::string& arg, long frame, std::vector<ScriptAction>* out) {
  std::istringstream words(arg);
  std::string number, verb;
  words >> number >> verb;
  const long pad = ParseCount(number, 8);
  if (pad < 1) return "pad needs a controller number from 1 to 8";
  ScriptAction a;
  a.frame = frame;
  a.pad = static_cast<int>(pad);
  std::string rest;
  std::getline(words, rest);
  rest = Trim(rest);
  if (verb == "connect") {
    a.kind = ScriptAction::kPadConnect;
    a.text = rest.empty() ? "Script Pad " + std::to_string(pad) : rest;
    out->push_back(a);
  } else if (verb == "disconnect") {
    if (!rest.empty()) return "pad disconnect takes no argument";
    a.kind = ScriptAction::kPadDisconnect;
    out->push_back(a);
  } else if (verb == "down" || verb == "up" || verb == "press") {
    a.code = ParsePadButton(rest);
    if (a.code < 0) return "unknown controller button \"" + rest + "\"";
    a.kind = verb == "up" ? ScriptAction::kPadUp : ScriptAction::kPadDown;
    out->push_back(a);
    if (verb == "press") {
      a.kind = ScriptAction::kPadUp;
      a.frame = frame + 1;
      out->push_back(a);
    }
  } else if (verb == "axis") {
    std::string axis, value, extra;
    std::istringstream(rest) >> axis >> value >> extra;
    a.code = ParsePadAxis(axis);
    if (a.code < 0) return "unknown controller axis \"" + axis + "\"";
    const float lo = a.code >= 4 ? 0.0f : -1.0f;
    if (value.empty() || !extra.empty() || !ParsePadValue(value, &a.value) || a.value < lo ||
        a.value > 1)
      return "axis " + axis + " needs one value from " + (a.code >= 4 ? "0" : "-1") + " to 1";
    a.kind = ScriptAction::kPadAxis;
    out->push_back(a);
  } else {
    return "unknown controller action \"" + verb + "\"";
  }
  return "";
}

}  // namespace

void Script::Clear() {
  active_ = false;
  actions_.clear();
  next_ = 0;
  answers_.clear();
}

bool Script::Load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read script " + path;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    *error = "cannot read script " + path;
    return false;
  }
  return Parse(path, text.str(), error);
}

bool Script::Parse(const std::string& name, const std::string& text, std::string* error) {
  Clear();
  std::vector<ScriptAction> actions;
  std::deque<int> answers;
  long lastFrame = 0;
  size_t pos = 0;
  for (int lineNo = 1; pos < text.size(); ++lineNo) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());

    auto fail = [&](const std::string& why) {
      *error = "script " + name + " line " + std::to_string(lineNo) + ": " + why;
      return false;
    };
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;

    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    size_t f0 = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    long frame = ParseCount(line.substr(f0, i - f0), 1000000000L);
    if (frame < 0) return fail("bad frame number \"" + line.substr(f0, i - f0) + "\"");
    while (i < line.size() && IsBlank(line[i])) ++i;
    size_t a0 = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    std::string action = line.substr(a0, i - a0);
    // `type` keeps everything after the one blank that follows the action.
    std::string rawArg = i < line.size() ? line.substr(i + 1) : std::string();
    std::string arg = Trim(rawArg);
    bool hasArg = i < line.size();

    if (action.empty()) return fail("missing action");
    if (action == "answer") {
      if (arg == "yes")
        answers.push_back(1);
      else if (arg == "no")
        answers.push_back(0);
      else if (arg == "cancel")
        answers.push_back(-1);
      else
        return fail("answer must be yes, no or cancel");
      continue;
    }
    if (frame < lastFrame)
      return fail("frame " + std::to_string(frame) + " comes after " + std::to_string(lastFrame));
    lastFrame = frame;

    ScriptAction a;
    a.frame = frame;
    if (action == "down" || action == "up" || action == "press") {
      a.code = ParseKeyName(arg);
      if (a.code < 0) return fail("unknown key \"" + arg + "\"");
      a.kind = action == "up" ? ScriptAction::kUp : ScriptAction::kDown;
      actions.push_back(a);
      if (action == "press") {
        ScriptAction up = a;
        up.kind = ScriptAction::kUp;
        up.frame = frame + 1;
        actions.push_back(up);
      }
    } else if (action == "type") {
      if (!hasArg || rawArg.empty()) return fail("type needs a text");
      a.kind = ScriptAction::kType;
      a.text = rawArg;
      actions.push_back(a);
    } else if (action == "char") {
      a.code = static_cast<int>(ParseCount(arg, 255));
      if (a.code <= 0) return fail("char needs a code from 1 to 255");
      a.kind = ScriptAction::kChar;
      actions.push_back(a);
    } else if (action == "close") {
      if (!arg.empty()) return fail("close takes no argument");
      a.kind = ScriptAction::kClose;
      actions.push_back(a);
    } else if (action == "screenshot") {
      if (arg.empty()) return fail("screenshot needs a file name");
      a.kind = ScriptAction::kScreenshot;
      a.text = arg;
      actions.push_back(a);
    } else if (action == "pad") {
      const std::string why = ParsePadLine(arg, frame, &actions);
      if (!why.empty()) return fail(why);
    } else {
      return fail("unknown action \"" + action + "\"");
    }
  }
  // A press's release lands one frame later, possibly after later lines.
  // Insertion keeps file order within each frame and is linear on the
  // nearly sorted list a script gives.
  for (size_t i = 1; i < actions.size(); i++) {
    for (size_t j = i; j > 0 && actions[j - 1].frame > actions[j].frame; j--) {
      std::swap(actions[j - 1], actions[j]);
    }
  }
  actions_ = std::move(actions);
  answers_ = std::move(answers);
  active_ = true;
  return true;
}

bool Script::ApplyUpTo(long frame, InputSink& sink, InputSink& pads,
                       std::vector<std::string>* screenshots) {
  bool padActions = false;
  while (next_ < actions_.size() && actions_[next_].frame <= frame) {
    const ScriptAction& a = actions_[next_++];
    switch (a.kind) {
      case ScriptAction::kDown:
        sink.KeyDown(a.code);
        break;
      case ScriptAction::kUp:
        sink.KeyUp(a.code);
        break;
      case ScriptAction::kType:
        for (unsigned char c : a.text) sink.TypedChar(c);
        break;
      case ScriptAction::kChar:
        sink.TypedChar(a.code);
        break;
      case ScriptAction::kClose:
        sink.CloseRequest();
        break;
      case ScriptAction::kScreenshot:
        if (screenshots) screenshots->push_back(a.text);
        break;
      case ScriptAction::kPadConnect:
        pads.PadConnect(a.pad, a.text);
        break;
      case ScriptAction::kPadDisconnect:
        pads.PadDisconnect(a.pad);
        break;
      case ScriptAction::kPadDown:
      case ScriptAction::kPadUp:
        pads.PadButton(a.pad, a.code, a.kind == ScriptAction::kPadDown);
        break;
      case ScriptAction::kPadAxis:
        pads.PadAxis(a.pad, a.code, a.value);
        break;
    }
    padActions = padActions || a.kind >= ScriptAction::kPadConnect;
  }
  return padActions;
}

bool Script::NextAnswer(int* answer) {
  if (answers_.empty()) return false;
  *answer = answers_.front();
  answers_.pop_front();
  return true;
}

}  // namespace plat
