// Sounds: Ogg Vorbis files decoded to 16-bit stereo at the mixer's rate,
// and the mixer that plays them on channels.
#include <algorithm>
#include <cmath>

#include "platform/internal.h"
#include "platform/paths.h"

// The decoder's own code is not held to this project's warnings.
#pragma GCC diagnostic push
#if defined(__clang__)
#pragma GCC diagnostic ignored "-Wunknown-warning-option"
#endif
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-value"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmisleading-indentation"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb_vorbis.h>
#pragma GCC diagnostic pop

using plat::State;

namespace plat {

namespace {

// Linear interpolation is plenty for effects and music at nearby rates.
std::vector<int16_t> Resample(const std::vector<int16_t>& in, long rate) {
  size_t inFrames = in.size() / 2;
  if (inFrames == 0 || rate <= 0) return {};
  size_t outFrames = static_cast<size_t>(static_cast<double>(inFrames) * kAudioRate / rate);
  std::vector<int16_t> out(outFrames * 2);
  double step = static_cast<double>(rate) / kAudioRate;
  for (size_t i = 0; i < outFrames; ++i) {
    double pos = i * step;
    size_t a = static_cast<size_t>(pos);
    size_t b = std::min(a + 1, inFrames - 1);
    double t = pos - a;
    for (int ch = 0; ch < 2; ++ch)
      out[i * 2 + ch] =
          static_cast<int16_t>(std::lround(in[a * 2 + ch] * (1 - t) + in[b * 2 + ch] * t));
  }
  return out;
}

// Longer sounds (about 25 minutes) are cut rather than filling memory.
constexpr size_t kMaxSoundFrames = size_t{1} << 26;

bool DecodeVorbis(const std::string& path, std::vector<int16_t>* stereo) {
  int error = 0;
  stb_vorbis* vorbis = stb_vorbis_open_filename(path.c_str(), &error, nullptr);
  if (!vorbis) return false;
  const stb_vorbis_info info = stb_vorbis_get_info(vorbis);
  const long rate = static_cast<long>(info.sample_rate);
  std::vector<int16_t> out;
  if (rate > 0 && info.channels > 0) {
    // Mono is copied to both sides; more channels are mixed down to two.
    short buffer[2 * 4096];
    while (out.size() / 2 < kMaxSoundFrames) {
      const int frames = stb_vorbis_get_samples_short_interleaved(vorbis, 2, buffer, 2 * 4096);
      if (frames <= 0) break;
      out.insert(out.end(), buffer, buffer + 2 * frames);
    }
  }
  stb_vorbis_close(vorbis);
  if (rate <= 0 || info.channels <= 0) return false;
  *stereo = rate == kAudioRate ? std::move(out) : Resample(out, rate);
  return true;
}

// Holds the mixer lock while the game changes what the audio thread reads.
class AudioLock {
 public:
  explicit AudioLock(Platform& p) : p_(p) {
    if (p_.audioRunning) p_.backend->LockAudio();
  }
  ~AudioLock() {
    if (p_.audioRunning) p_.backend->UnlockAudio();
  }

 private:
  Platform& p_;
};

}  // namespace

void MixAudio(int16_t* stereo, int frames, void* user) {
  Platform& p = *static_cast<Platform*>(user);
  float mix[2 * 512];
  while (frames > 0) {
    int n = std::min(frames, 512);
    std::fill(mix, mix + 2 * n, 0.0f);
    for (auto& ch : p.channels) {
      if (!ch->sound || ch->paused || ch->stopped) continue;
      const Sound& s = *ch->sound;
      size_t left = s.frames > ch->position ? s.frames - ch->position : 0;
      size_t take = std::min(left, static_cast<size_t>(n));
      const int16_t* src = s.samples.data() + ch->position * 2;
      for (size_t i = 0; i < take * 2; ++i) mix[i] += src[i] * ch->volume;
      ch->position += take;
    }
    // Loud mixes are clipped, never wrapped.
    for (int i = 0; i < 2 * n; ++i)
      stereo[i] = static_cast<int16_t>(std::max(-32768.0f, std::min(32767.0f, mix[i])));
    stereo += 2 * n;
    frames -= n;
  }
}

void FreeSounds() {
  Platform& p = State();
  AudioLock lock(p);
  p.channels.clear();
  p.sounds.clear();
}

}  // namespace plat

Sound* LoadSoundFile(const std::string& path, int /*flags: never looping*/) {
  plat::Platform& p = State();
  auto sound = std::make_unique<Sound>();
  if (!plat::DecodeVorbis(plat::ResolvePath(path), &sound->samples)) return nullptr;
  sound->frames = sound->samples.size() / 2;
  sound->name = plat::BaseName(path);
  if (p.trace.on()) p.trace.Write(plat::TraceLine("sound load").Text(sound->name));
  plat::AudioLock lock(p);
  p.sounds.push_back(std::move(sound));
  return p.sounds.back().get();
}

Channel* AllocChannel() {
  plat::Platform& p = State();
  auto channel = std::make_unique<Channel>();
  channel->number = static_cast<int>(p.channels.size()) + 1;
  plat::AudioLock lock(p);
  p.channels.push_back(std::move(channel));
  return p.channels.back().get();
}

void PrepareSound(Sound* sound, Channel* channel) {
  if (!sound || !channel) return;
  plat::Platform& p = State();
  if (p.trace.on())
    p.trace.Write(plat::TraceLine("sound prepare").Int(channel->number).Text(sound->name));
  plat::AudioLock lock(p);
  channel->sound = sound;
  channel->position = 0;
  channel->paused = true;
  channel->stopped = false;
}

void SetVolume(Channel* channel, double volume) {
  if (!channel) return;
  plat::Platform& p = State();
  if (p.trace.on())
    p.trace.Write(plat::TraceLine("sound volume").Int(channel->number).Real(volume));
  plat::AudioLock lock(p);
  // Above 1.0 amplifies; the mixer clips.
  channel->volume = static_cast<float>(volume < 0 ? 0 : volume);
}

void Resume(Channel* channel) {
  if (!channel) return;
  plat::Platform& p = State();
  if (p.trace.on()) p.trace.Write(plat::TraceLine("sound resume").Int(channel->number));
  plat::AudioLock lock(p);
  channel->paused = false;
}

void Stop(Channel* channel) {
  if (!channel) return;
  plat::Platform& p = State();
  if (p.trace.on()) p.trace.Write(plat::TraceLine("sound stop").Int(channel->number));
  plat::AudioLock lock(p);
  channel->stopped = true;
  channel->paused = true;
  channel->position = 0;
}

bool Playing(Channel* channel) {
  if (!channel) return false;
  plat::Platform& p = State();
  plat::AudioLock lock(p);
  if (!channel->sound || channel->paused || channel->stopped) return false;
  // With no audio device nothing advances: a resumed sound plays until
  // stopped, the same on every run.
  if (!p.audioRunning) return true;
  return channel->position < channel->sound->frames;
}
