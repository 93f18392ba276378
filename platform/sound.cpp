// Sounds: Ogg Vorbis files decoded to 16-bit stereo at the mixer's rate,
// and the mixer that plays them on channels.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>

#include "platform/internal.h"

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

bool DecodeVorbis(const std::string& path, std::vector<int16_t>* stereo) {
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) != 0) return false;
  vorbis_info* info = ov_info(&vf, -1);
  long rate = info ? info->rate : 0;
  std::vector<int16_t> out;
  ogg_int64_t total = ov_pcm_total(&vf, -1);
  if (total > 0 && total < (int64_t{1} << 28)) out.reserve(static_cast<size_t>(total) * 2);
  char buffer[16384];
  bool ok = rate > 0;
  while (ok) {
    int section = 0;
    long got = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section);
    if (got == 0) break;
    if (got == OV_HOLE) continue;
    if (got < 0) {
      ok = false;
      break;
    }
    vorbis_info* si = ov_info(&vf, section);
    int channels = si ? si->channels : 0;
    if (channels <= 0) {
      ok = false;
      break;
    }
    const int16_t* s = reinterpret_cast<const int16_t*>(buffer);
    long frames = got / 2 / channels;
    for (long f = 0; f < frames; ++f) {
      int16_t left = s[f * channels];
      int16_t right = channels > 1 ? s[f * channels + 1] : left;
      out.push_back(left);
      out.push_back(right);
    }
  }
  ov_clear(&vf);
  if (!ok) return false;
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
