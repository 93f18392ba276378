// Start and end of the platform, the display and frame, dialogs.
#include <chrono>
#include <cstdio>

#include "platform/internal.h"
#include "platform/paths.h"

namespace plat {

Platform* gPlatform = nullptr;

namespace {

int64_t RealMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void Poll(Platform& p) {
  p.backend->PollEvents(p.input);
  if (p.window) p.lastPollUs = RealMicros();
}

// The script's actions up to `frame`. A backend that plays scripted
// controllers as devices reports them as events, fetched at once so they
// land in the same frame as they would headless.
void ApplyScript(Platform& p, long frame) {
  InputSink* devices = p.backend ? p.backend->ScriptPads() : nullptr;
  const bool padActions =
      p.script.ApplyUpTo(frame, p.input, devices ? *devices : p.input, &p.screenshots);
  if (padActions && devices) Poll(p);
}

// One frame tick of a flip or an idle wait: input, script, frame limit.
void FrameDone(Platform& p) {
  ++p.frames;
  Poll(p);
  if (p.script.active()) {
    ApplyScript(p, p.frames);
    for (const std::string& file : p.screenshots) {
      if (p.trace.on()) p.trace.Write(plat::TraceLine("screenshot").Text(file));
      if (p.window && !p.backend->SaveScreenshot(file))
        fprintf(stderr, "parvane: could not save screenshot %s\n", file.c_str());
    }
    p.screenshots.clear();
  }
  if (p.config.maxFrames > 0 && p.frames >= p.config.maxFrames) {
    // Asked again every frame, in case a screen does not listen at once.
    p.keys.CloseRequest();
    if (!p.limitReported) {
      p.limitReported = true;
      fprintf(stderr, "parvane: frame limit of %ld reached, closing\n", p.config.maxFrames);
    }
  }
}

bool Unattended(const Platform& p) { return !p.window || p.script.active(); }

// The desktop's box, or else the game's own screen while there is a display.
void ShowMessage(Platform& p, const std::string& text) {
  if (!p.backend || Unattended(p) || p.backend->ShowMessage(p.title, text)) return;
  if (!p.displayOpen || !p.messageScreen) return;
  const DrawState kept = p.draw;
  p.messageScreen(text, p.displayWidth, p.displayHeight);
  p.draw = kept;
}

}  // namespace

Platform& CreatePlatform() {
  gPlatform = new Platform;
  gPlatform->mediaDir = DefaultMediaFolder();
  return *gPlatform;
}

void PollIfStale() {
  Platform& p = State();
  if (!p.window || !p.backend) return;
  if (RealMicros() - p.lastPollUs > 4000) Poll(p);
}

void FreeImagesAndFonts() {
  Platform& p = State();
  p.images.clear();
  p.fonts.clear();
  p.draw.font = nullptr;
}

}  // namespace plat

using plat::State;

int PlatformInit(const PlatformConfig& config, std::string* error) {
  PlatformShutdown();
  plat::Platform& p = plat::CreatePlatform();
  p.config = config;

  if (!plat::PlaceFolders(config, &p, error)) return 1;

  if (!config.script.empty() && !p.script.Load(config.script, error)) return 2;
  if (!config.trace.empty() && !p.trace.Open(config.trace)) {
    *error = "could not write the trace file " + config.trace;
    return 1;
  }

  p.window = !config.headless;
  p.backend = config.headless ? plat::MakeHeadlessBackend() : plat::MakeWindowBackend();
  p.clock.Reset(config.fakeClock);
  p.random.Seed(config.seeded ? config.seed : 0);
  p.audioRunning = p.backend->StartAudio(plat::MixAudio, &p);
  // Extra controller mappings: the game's own, then the player's.
  p.backend->StartPads({plat::ResolvePath(std::string("media/") + plat::kPadMappings),
                        plat::ResolvePath(plat::kPadMappings)});
  p.initialised = true;
  // Actions stamped 0 happen at start-up, before the game reads any input.
  if (p.script.active()) plat::ApplyScript(p, 0);
  for (const std::string& file : p.screenshots)
    if (p.trace.on()) p.trace.Write(plat::TraceLine("screenshot").Text(file));
  p.screenshots.clear();
  return 0;
}

void PlatformShutdown() {
  plat::Platform* p = plat::gPlatform;
  if (!p) return;
  if (p->backend) {
    if (p->displayOpen) p->backend->CloseDisplay();
    plat::FreeImagesAndFonts();
    p->backend.reset();  // stops the audio device before its sounds go
  }
  p->audioRunning = false;
  plat::FreeSounds();
  p->trace.Close();
  plat::gPlatform = nullptr;
  delete p;
}

void TraceEvent(const char* tag, const std::string& text) {
  plat::Platform& p = State();
  if (p.trace.on()) p.trace.Write(plat::TraceLine(tag).Text(text));
}

void EndProgram() { throw ProgramExit{0}; }

void EndProgramWith(int status) { throw ProgramExit{status}; }

void FailMedia(const std::string& path) {
  plat::Platform& p = State();
  bool inMedia = path.compare(0, 6, "media/") == 0;
  std::string name = inMedia ? path.substr(6) : path;
  std::string message = "could not load " + name + " (searched " + plat::SearchedFolder(path) + ")";
  fprintf(stderr, "parvane: %s\n", message.c_str());
  plat::ShowMessage(p, message);
  EndProgramWith(1);
}

bool OpenDisplay(int width, int height, int depth, int refreshRate, int /*flags*/) {
  plat::Platform& p = State();
  if (!p.backend || width <= 0 || height <= 0) return false;
  if (p.displayOpen) {
    p.backend->CloseDisplay();
    plat::FreeImagesAndFonts();
    p.displayOpen = false;
  }
  std::string error;
  if (!p.backend->OpenDisplay(width, height, depth != 0, &error)) {
    fprintf(stderr, "parvane: could not open the display: %s\n", error.c_str());
    return false;
  }
  p.displayOpen = true;
  p.displayWidth = width;
  p.displayHeight = height;
  p.refreshRate = refreshRate > 0 ? refreshRate : 60;
  p.clock.RestartPacing();
  if (!p.title.empty()) p.backend->SetTitle(p.title);
  if (p.trace.on())
    p.trace.Write(plat::TraceLine("display open").Int(width).Int(height).Int(depth));
  return true;
}

void CloseDisplay() {
  plat::Platform& p = State();
  if (p.trace.on()) p.trace.Write(plat::TraceLine("display close"));
  if (p.backend && p.displayOpen) p.backend->CloseDisplay();
  p.displayOpen = false;
  plat::FreeImagesAndFonts();
}

void Cls() {
  plat::Platform& p = State();
  if (p.trace.on()) p.trace.Write(plat::TraceLine("cls"));
  if (p.backend) p.backend->Clear();
}

void Flip(int sync) {
  plat::Platform& p = State();
  if (!p.backend) return;
  if (sync == -1) {
    // A fake clock paces by itself so that scripted runs repeat exactly.
    if (p.window && !p.clock.fake() && p.backend->VsyncRunsAt(p.refreshRate)) {
      p.backend->Present(true);
    } else {
      p.clock.Pace(p.refreshRate);
      p.backend->Present(false);
    }
  } else {
    p.backend->Present(sync == 1);
  }
  if (p.trace.on()) p.trace.Write(plat::TraceLine("flip").Int(p.frames + 1));
  plat::FrameDone(p);
}

void IdleWait() {
  plat::Platform& p = State();
  if (!p.backend) return;
  p.clock.Sleep(1000 / 60);
  plat::FrameDone(p);
}

void ShowPointer() {
  plat::Platform& p = State();
  if (p.backend) p.backend->SetPointerVisible(true);
}

void HidePointer() {
  plat::Platform& p = State();
  if (p.backend) p.backend->SetPointerVisible(false);
}

void SetWindowTitle(const std::string& text) {
  plat::Platform& p = State();
  p.title = text;
  if (p.backend) p.backend->SetTitle(text);
}

int Proceed(const std::string& text) {
  plat::Platform& p = State();
  int answer = 0;
  if (p.script.NextAnswer(&answer)) {
    // queued by the script
  } else if (plat::Unattended(p) || !p.backend) {
    answer = 0;
  } else {
    answer = p.backend->AskYesNoCancel(p.title, text);
    answer = answer > 0 ? 1 : answer < 0 ? -1 : 0;
  }
  if (p.trace.on())
    p.trace.Write(plat::TraceLine(answer > 0   ? "proceed yes"
                                  : answer < 0 ? "proceed cancel"
                                               : "proceed no")
                      .Text(text));
  return answer;
}

void Notify(const std::string& text) {
  plat::Platform& p = State();
  if (p.trace.on()) p.trace.Write(plat::TraceLine("notify").Text(text));
  plat::ShowMessage(p, text);
}

void SetMessageScreen(MessageScreen show) { State().messageScreen = show; }

int LastFrameDrawCalls() {
  plat::Platform& p = State();
  return p.backend ? p.backend->DrawCallsLastFrame() : 0;
}

void SetBatching(bool on) {
  plat::Platform& p = State();
  if (p.backend) p.backend->SetBatching(on);
}

void SetRedrawOnlyChanges(bool on) {
  plat::Platform& p = State();
  if (p.backend) p.backend->SetRedrawOnlyChanges(on);
}
