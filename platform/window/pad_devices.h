// Game controllers through SDL's controller subsystem: real pads plugged in
// and out at any time, and a script's pads as virtual joysticks attached to
// the same subsystem, so both reach the game by the same events.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/backend.h"

namespace plat {

class PadDevices : public InputSink {
 public:
  ~PadDevices() override;
  // Starts the subsystem; SDL's own mappings and SDL_GAMECONTROLLERCONFIG
  // come first, then the files that exist. False when there is none.
  bool Start(const std::vector<std::string>& mappingFiles);
  bool started() const { return started_; }
  // Turns a controller event into the game's; false for other events.
  bool Handle(const SDL_Event& e, InputSink& sink);

  // The script's controllers, played as virtual joysticks.
  void KeyDown(int) override {}
  void KeyUp(int) override {}
  void TypedChar(int) override {}
  void CloseRequest() override {}
  void PadConnect(int pad, const std::string& name) override;
  void PadDisconnect(int pad) override;
  void PadButton(int pad, int button, bool down) override;
  void PadAxis(int pad, int axis, float value) override;

 private:
  static constexpr int kPads = 8;
  static constexpr int kButtons = 15;
  static constexpr int kAxes = 6;

  struct Open {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID instance = -1;
  };
  struct Virtual {
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID instance = -1;
  };

  void Added(int deviceIndex, InputSink& sink);
  void Removed(SDL_JoystickID instance, InputSink& sink);
  int NumberOf(SDL_JoystickID instance) const;

  bool started_ = false;
  Open open_[kPads];        // by number - 1
  Virtual virtual_[kPads];  // the script's pad N at N - 1
};

}  // namespace plat
