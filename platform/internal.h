// State shared by the files of the platform core. Nothing outside platform/
// includes this.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/pads.h"
#include "platform/platform.h"
#include "platform/random.h"
#include "platform/script.h"
#include "platform/trace.h"

struct Image {
  int width = 0;
  int height = 0;
  double handleX = 0;
  double handleY = 0;
  int texture = -1;
  std::string name;  // file name for the trace
};

struct Glyph {
  bool present = false;
  int texture = -1;  // the glyph's own image, framed by one transparent texel
  float advance = 0;
  float left = 0, top = 0;  // bitmap offset from the pen, top measured from the ascender line
  int w = 0, h = 0;
  float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
};

struct Font {
  double ascender = 0;
  double lineHeight = 0;
  float fallbackAdvance = 0;  // width given to characters the font lacks
  Glyph glyphs[256];
};

struct Sound {
  std::vector<int16_t> samples;  // stereo, interleaved, at kAudioRate
  size_t frames = 0;
  std::string name;
};

struct Channel {
  int number = 0;  // 1, 2, ... in allocation order
  Sound* sound = nullptr;
  size_t position = 0;  // in frames
  float volume = 1.0f;
  bool paused = true;
  bool stopped = true;
};

namespace plat {

struct DrawState {
  int r = 255, g = 255, b = 255;
  double alpha = 1.0;
  int blend = kBlendAlpha;
  double angle = 0;
  double sx = 1, sy = 1;
  double lineWidth = 1;
  Font* font = nullptr;
};

struct Platform {
  PlatformConfig config;
  bool initialised = false;
  std::unique_ptr<Backend> backend;
  bool window = false;  // the window backend rather than the headless one
  std::string mediaDir;
  // Installed: the game's own files go to the user's configuration and data
  // folders rather than the working folder.
  bool userFolders = false;
  std::string title;
  bool displayOpen = false;
  int displayWidth = 0, displayHeight = 0;
  MessageScreen messageScreen = nullptr;
  int refreshRate = 60;
  long frames = 0;  // flips and idle waits done
  bool limitReported = false;
  int64_t lastPollUs = 0;

  FrameClock clock;
  Trace trace;
  KeyState keys;
  PadState pads;
  InputRouter input{keys, pads, trace};
  Script script;
  Pcg32 random;
  DrawState draw;
  int defaultImageFlags = 0;

  std::vector<std::unique_ptr<Image>> images;
  std::vector<std::unique_ptr<Font>> fonts;
  std::vector<std::unique_ptr<Sound>> sounds;
  std::vector<std::unique_ptr<Channel>> channels;
  bool audioRunning = false;
  std::vector<std::string> screenshots;  // asked for by the script, not yet taken
};

extern Platform* gPlatform;
Platform& CreatePlatform();
inline Platform& State() { return gPlatform ? *gPlatform : CreatePlatform(); }

// Polls the backend's events unless that was done a moment ago; keeps
// input queries cheap in tight loops.
void PollIfStale();
// Why the last file operation failed, for the player.
void SetFileError(const std::string& why);

// Frees every image and font (the display is gone or going).
void FreeImagesAndFonts();
// Stops the mixer's use of every sound and frees sounds and channels.
void FreeSounds();
// Pulls mixed audio: the backend calls it with the mixer lock held.
void MixAudio(int16_t* stereo, int frames, void* user);

// Where a quad goes: the box (left, top, w, h) in the unscaled frame of an
// image or a text, scaled, then rotated by `degrees` (+x toward +y), then
// moved so that the frame's origin lands at (x, y).
struct Placement {
  Placement(double x, double y, double sx, double sy, double degrees);
  void Box(double left, double top, double w, double h, Quad* quad) const;
  double x, y, sx, sy, c, s;
};
void SetQuadColour(const DrawState& state, Quad* quad);
void SetQuadTexture(float u0, float v0, float u1, float v1, Quad* quad);
// A sprite or label trace line: position, then the drawing state in force.
TraceLine StateLine(const char* tag, double x, double y, const DrawState& state);
// A quad `width` wide along the segment from (x1, y1) to (x2, y2).
void LineQuad(double x1, double y1, double x2, double y2, double width, Quad* quad);

}  // namespace plat
