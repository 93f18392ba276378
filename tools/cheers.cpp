// A short crowd cheer: a few dozen synthetic voices shouting a vowel, a crowd of
// clappers, a couple of whistles and a low rumble, under one swell and fade.
#include <algorithm>
#include <cmath>

#include "tools/mediagen.h"
#include "tools/synth.h"

namespace mediagen {
namespace {

constexpr double kLength = 3.2;  // seconds

// Envelope of the whole crowd: a quick swell, a plateau, a long fade to silence.
double CrowdLevel(double t) {
  double rise = std::min(1.0, t / 0.25);
  double fall = std::clamp((kLength - t) / 1.1, 0.0, 1.0);
  return rise * std::pow(fall, 1.5);
}

struct Vowel {
  double f1, f2, f3;
};

// One shouting voice: a sawtooth with vibrato and breath, through three formants.
void AddVoice(Stereo& out, Rng& rng) {
  static const Vowel kVowels[] = {
      {780, 1250, 2600}, {700, 1700, 2600}, {420, 900, 2400}, {560, 1900, 2700}};
  const Vowel& v = kVowels[rng.Next() % 4];
  double shift = rng.Range(0.92, 1.15);  // throat size
  double f0 = rng.Unit() < 0.5 ? rng.Range(140, 230) : rng.Range(250, 420);
  double start = rng.Range(0.0, 0.4);
  double attack = rng.Range(0.06, 0.25);
  double hold = rng.Range(1.3, 2.3);
  double release = rng.Range(0.3, 0.8);
  double rise = rng.Range(0.1, 0.3);  // the pitch climbs as the shout opens
  double vib_rate = rng.Range(4.5, 6.5), vib_phase = rng.Range(0, kTau);
  double pan = rng.Signed() * 0.85;
  double gain = rng.Range(0.5, 1.0);
  double breath = rng.Range(0.15, 0.45);
  Osc osc(rng.Unit());
  Svf s1, s2, s3;
  size_t first = static_cast<size_t>(start * kSampleRate);
  size_t count = static_cast<size_t>((attack + hold + release) * kSampleRate);
  for (size_t n = 0; n < count; ++n) {
    double t = static_cast<double>(n) / kSampleRate;
    double env =
        t < attack ? t / attack
                   : (t < attack + hold ? 1.0 - 0.25 * (t - attack) / hold
                                        : 0.75 * std::exp(-(t - attack - hold) / (release * 0.3)));
    double contour = 1.0 + rise * std::min(1.0, t / 0.35) - 0.5 * rise * std::max(0.0, t - 0.6);
    double hz = f0 * contour * (1.0 + 0.015 * std::sin(vib_rate * kTau * t + vib_phase));
    double src = osc.Saw(hz) * (1 - breath) + rng.Signed() * breath * 1.5;
    double y = s1.Run(src, v.f1 * shift, 6).band * 1.0 + s2.Run(src, v.f2 * shift, 8).band * 0.6 +
               s3.Run(src, v.f3 * shift, 10).band * 0.3;
    double at = start + t;
    AddPanned(out, first + n, 0.12 * gain * env * CrowdLevel(at) * y, pan);
  }
}

// One clapper clapping at a steady but human rate.
void AddClapper(Stereo& out, Rng& rng) {
  double period = rng.Range(0.2, 0.3);
  double t = rng.Range(0.15, 0.5);
  double end = rng.Range(2.2, kLength - 0.2);
  double pan = rng.Signed() * 0.9;
  double centre = rng.Range(1000, 2200);
  double gain = rng.Range(0.4, 1.0);
  while (t < end) {
    Svf band;
    double decay = rng.Range(0.006, 0.014);
    double loud = gain * rng.Range(0.7, 1.0) * CrowdLevel(t);
    size_t first = static_cast<size_t>(t * kSampleRate);
    size_t count = static_cast<size_t>(decay * 8 * kSampleRate);
    for (size_t n = 0; n < count; ++n) {
      double s = static_cast<double>(n) / kSampleRate;
      double env = std::min(1.0, s / 0.0008) * std::exp(-s / decay);
      double y = band.Run(rng.Signed(), centre, 1.2).band;
      AddPanned(out, first + n, 1.9 * loud * env * y, pan);
    }
    t += period + rng.Signed() * 0.02;
  }
}

// A two-finger whistle: a pure tone that glides up, holds and drops.
void AddWhistle(Stereo& out, Rng& rng, double start) {
  double base = rng.Range(1900, 2500);
  double length = rng.Range(0.5, 0.8);
  double pan = rng.Signed() * 0.6;
  Osc osc;
  size_t first = static_cast<size_t>(start * kSampleRate);
  size_t count = static_cast<size_t>(length * kSampleRate);
  for (size_t n = 0; n < count; ++n) {
    double t = static_cast<double>(n) / kSampleRate;
    double u = t / length;
    double hz = base * (1.0 + 0.25 * std::min(1.0, u * 5) - 0.35 * std::max(0.0, u - 0.7));
    double env = std::min(1.0, t / 0.03) * std::min(1.0, (length - t) / 0.12);
    AddPanned(out, first + n, 0.14 * env * osc.Sine(hz), pan);
  }
}

}  // namespace

Stereo MakeCheers() {
  const size_t frames = static_cast<size_t>(kLength * kSampleRate);
  Stereo out(frames);
  Rng rng(0xc4ee55);
  for (int i = 0; i < 40; ++i) AddVoice(out, rng);
  for (int i = 0; i < 28; ++i) AddClapper(out, rng);
  AddWhistle(out, rng, 0.35);
  AddWhistle(out, rng, 1.2);
  // The rumble of a large room full of people.
  Svf lowl, lowr;
  for (size_t i = 0; i < frames; ++i) {
    double level = 0.06 * CrowdLevel(static_cast<double>(i) / kSampleRate);
    out.left[i] += static_cast<float>(level * lowl.Run(rng.Signed(), 500, 0.7).low);
    out.right[i] += static_cast<float>(level * lowr.Run(rng.Signed(), 500, 0.7).low);
  }
  // A few early reflections, crossed between the channels, give the hall some room.
  Stereo dry = out;
  const double delays[] = {0.019, 0.031, 0.047, 0.066};
  const double gains[] = {0.3, 0.22, 0.16, 0.1};
  for (int k = 0; k < 4; ++k) {
    size_t d = static_cast<size_t>(delays[k] * kSampleRate);
    for (size_t i = d; i < frames; ++i) {
      out.left[i] += static_cast<float>(gains[k] * (k % 2 ? dry.left[i - d] : dry.right[i - d]));
      out.right[i] += static_cast<float>(gains[k] * (k % 2 ? dry.right[i - d] : dry.left[i - d]));
    }
  }
  // Exactly silent at both ends.
  for (size_t i = 0; i < frames; ++i) {
    double t = static_cast<double>(i) / kSampleRate;
    double edge = std::min({1.0, t / 0.01, (kLength - t) / 0.05});
    out.left[i] *= static_cast<float>(std::max(0.0, edge));
    out.right[i] *= static_cast<float>(std::max(0.0, edge));
  }
  // The game plays the cheer at up to four times its own level (twice at the default
  // volume) and the mixer clips, so it is mastered with headroom: a gentle saturation
  // tames the loudest claps, then the peak is set to 0.4 (the encoder adds a little).
  Normalise(out, 1.4);
  for (size_t i = 0; i < frames; ++i) {
    out.left[i] = static_cast<float>(std::tanh(out.left[i]));
    out.right[i] = static_cast<float>(std::tanh(out.right[i]));
  }
  Normalise(out, 0.4);
  return out;
}

}  // namespace mediagen
