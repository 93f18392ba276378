#include "platform/window/pad_devices.h"

#include <sys/stat.h>

#include <cstdio>

namespace plat {

namespace {

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

float AxisReal(int axis, Sint16 value) {
  // Triggers run from 0 up; sticks both ways, -32768 being one step beyond.
  float v = static_cast<float>(value) / 32767.0f;
  if (axis >= SDL_CONTROLLER_AXIS_TRIGGERLEFT && v < 0) v = 0;
  return v < -1 ? -1 : v;
}

}  // namespace

PadDevices::~PadDevices() {
  if (!started_) return;
  for (Open& o : open_)
    if (o.controller) SDL_GameControllerClose(o.controller);
  for (Virtual& v : virtual_)
    if (v.joystick) SDL_JoystickClose(v.joystick);
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool PadDevices::Start(const std::vector<std::string>& mappingFiles) {
  if (started_) return true;
  // Every player shares one screen: a pad keeps playing while another
  // window has the keyboard's focus.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "parvane: no game controllers: %s\n", SDL_GetError());
    return false;
  }
  started_ = true;
  for (const std::string& file : mappingFiles) {
    if (!IsFile(file)) continue;
    if (SDL_GameControllerAddMappingsFromFile(file.c_str()) < 0)
      std::fprintf(stderr, "parvane: controller mappings in %s not read: %s\n", file.c_str(),
                   SDL_GetError());
  }
  return true;
}

int PadDevices::NumberOf(SDL_JoystickID instance) const {
  for (int n = 0; n < kPads; n++)
    if (open_[n].controller && open_[n].instance == instance) return n + 1;
  return 0;
}

void PadDevices::Added(int deviceIndex, InputSink& sink) {
  if (!SDL_IsGameController(deviceIndex)) return;
  const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (instance < 0 || NumberOf(instance) != 0) return;
  // A script's pad keeps the script's number; a real one takes the lowest
  // number neither open nor promised to a script's pad.
  int number = 0;
  for (int n = 0; n < kPads && number == 0; n++)
    if (virtual_[n].joystick && virtual_[n].instance == instance && !open_[n].controller)
      number = n + 1;
  for (int n = 0; n < kPads && number == 0; n++)
    if (!open_[n].controller && !virtual_[n].joystick) number = n + 1;
  if (number == 0) return;  // more pads than the game has numbers for
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (!controller) return;
  open_[number - 1] = {controller, instance};
  const char* name = SDL_GameControllerName(controller);
  sink.PadConnect(number, name && *name ? name : "Controller");
  // Buttons already down when the pad was opened send no event of their own.
  for (int b = 0; b < kButtons; b++) {
    if (SDL_GameControllerGetButton(controller, static_cast<SDL_GameControllerButton>(b)))
      sink.PadButton(number, b, true);
  }
  for (int a = 0; a < kAxes; a++) {
    const Sint16 value =
        SDL_GameControllerGetAxis(controller, static_cast<SDL_GameControllerAxis>(a));
    if (value != 0) sink.PadAxis(number, a, AxisReal(a, value));
  }
}

void PadDevices::Removed(SDL_JoystickID instance, InputSink& sink) {
  const int number = NumberOf(instance);
  if (number == 0) return;
  SDL_GameControllerClose(open_[number - 1].controller);
  open_[number - 1] = Open();
  sink.PadDisconnect(number);
}

bool PadDevices::Handle(const SDL_Event& e, InputSink& sink) {
  if (!started_) return false;
  switch (e.type) {
    case SDL_JOYDEVICEADDED:
      Added(e.jdevice.which, sink);
      return true;
    case SDL_JOYDEVICEREMOVED:
      Removed(e.jdevice.which, sink);
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      const int number = NumberOf(e.cbutton.which);
      if (number != 0 && e.cbutton.button < kButtons)
        sink.PadButton(number, e.cbutton.button, e.type == SDL_CONTROLLERBUTTONDOWN);
      return true;
    }
    case SDL_CONTROLLERAXISMOTION: {
      const int number = NumberOf(e.caxis.which);
      if (number != 0 && e.caxis.axis < kAxes)
        sink.PadAxis(number, e.caxis.axis, AxisReal(e.caxis.axis, e.caxis.value));
      return true;
    }
    default:
      return false;
  }
}

void PadDevices::PadConnect(int pad, const std::string& name) {
  if (!started_ || pad < 1 || pad > kPads) return;
  if (virtual_[pad - 1].joystick) PadDisconnect(pad);
  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = kAxes;
  desc.nbuttons = kButtons;
  // Every button and axis of the standard layout, in its order.
  desc.button_mask = (1u << kButtons) - 1;
  desc.axis_mask = (1u << kAxes) - 1;
  desc.name = name.c_str();
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  if (index < 0) {
    std::fprintf(stderr, "parvane: scripted controller %d not attached: %s\n", pad, SDL_GetError());
    return;
  }
  SDL_Joystick* joystick = SDL_JoystickOpen(index);
  if (!joystick) {
    SDL_JoystickDetachVirtual(index);
    return;
  }
  virtual_[pad - 1] = {joystick, SDL_JoystickInstanceID(joystick)};
  // Triggers rest at 0, the bottom of their raw range.
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
}

void PadDevices::PadDisconnect(int pad) {
  if (pad < 1 || pad > kPads || !virtual_[pad - 1].joystick) return;
  Virtual& v = virtual_[pad - 1];
  for (int i = 0; i < SDL_NumJoysticks(); i++) {
    if (SDL_JoystickGetDeviceInstanceID(i) == v.instance) {
      SDL_JoystickDetachVirtual(i);
      break;
    }
  }
  SDL_JoystickClose(v.joystick);
  v = Virtual();
}

void PadDevices::PadButton(int pad, int button, bool down) {
  if (pad < 1 || pad > kPads || !virtual_[pad - 1].joystick) return;
  SDL_JoystickSetVirtualButton(virtual_[pad - 1].joystick, button, down ? 1 : 0);
  // Turned into events at once: a release and a press in one frame are two.
  SDL_JoystickUpdate();
}

void PadDevices::PadAxis(int pad, int axis, float value) {
  if (pad < 1 || pad > kPads || !virtual_[pad - 1].joystick) return;
  // Triggers span the whole raw range from rest to full.
  const float raw =
      axis >= SDL_CONTROLLER_AXIS_TRIGGERLEFT ? -32768.0f + value * 65535.0f : value * 32767.0f;
  SDL_JoystickSetVirtualAxis(virtual_[pad - 1].joystick, axis,
                             static_cast<Sint16>(raw < -32768  ? -32768
                                                 : raw > 32767 ? 32767
                                                               : raw));
  SDL_JoystickUpdate();
}

}  // namespace plat
