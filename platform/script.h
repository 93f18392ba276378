// Scripted input: actions stamped with the number of frames done, and the
// queued answers to modal questions.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace plat {

struct ScriptAction {
  enum Kind {
    kDown,
    kUp,
    kType,
    kChar,
    kClose,
    kScreenshot,
    kPadConnect,
    kPadDisconnect,
    kPadDown,
    kPadUp,
    kPadAxis,
  };
  long frame = 0;
  Kind kind = kDown;
  int code = 0;      // key or character code; a controller's button or axis
  int pad = 0;       // controller number, 1 to 8
  float value = 0;   // axis position
  std::string text;  // typed text, screenshot file or controller name
};

class Script {
 public:
  // Reads a script file; false with the reason (naming the line) in *error.
  bool Load(const std::string& path, std::string* error);
  // Parses script text; `name` labels the error messages.
  bool Parse(const std::string& name, const std::string& text, std::string* error);
  void Clear();

  bool active() const { return active_; }
  // Feeds every action stamped `frame` or earlier to `sink`, those of
  // controllers to `pads`; screenshot requests are appended to
  // *screenshots. True when a controller action was among them.
  bool ApplyUpTo(long frame, InputSink& sink, InputSink& pads,
                 std::vector<std::string>* screenshots);
  // The next queued answer (1 yes, 0 no, -1 cancel); false when none is left.
  bool NextAnswer(int* answer);

  const std::vector<ScriptAction>& actions() const { return actions_; }

 private:
  bool active_ = false;
  std::vector<ScriptAction> actions_;
  size_t next_ = 0;
  std::deque<int> answers_;
};

// Parses a key name (ENTER, ESC, SPACE, LEFT, UP, RIGHT, DOWN, BACKSPACE,
// 0-9, A-Z) or a decimal code 0..255; -1 when it is neither.
int ParseKeyName(const std::string& name);
// A controller button or axis by its name in the standard layout; -1 when unknown.
int ParsePadButton(const std::string& name);
int ParsePadAxis(const std::string& name);

}  // namespace plat
