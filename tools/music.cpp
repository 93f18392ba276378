// The match music: an upbeat tune at 135 beats per minute, 36 bars, exactly 64
// seconds. The game restarts it whenever it ends, so it is rendered as a loop: the
// last bar stops on its first half and rings out to silence, whatever still rings
// past the end is folded back onto the start, and both ends fade to exact zero.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tools/mediagen.h"
#include "tools/synth.h"

namespace mediagen {
namespace {

constexpr size_t kSixteenth = 4900;  // 44100 * 60 / 135 / 4, exact
constexpr size_t kEighth = 2 * kSixteenth;
constexpr size_t kBeat = 4 * kSixteenth;
constexpr size_t kBar = 4 * kBeat;
constexpr int kBars = 36;
constexpr size_t kTail = 4 * kSampleRate;
constexpr int kTranspose = 2;  // written in C, played in D

double Seconds(size_t frames) { return static_cast<double>(frames) / kSampleRate; }

// ---- The score.

enum Section { kIntro, kVerse, kChorus, kBridge, kReprise };

Section SectionOf(int bar) {
  if (bar < 4) return kIntro;
  if (bar < 12) return kVerse;
  if (bar < 20) return kChorus;
  if (bar < 28) return kBridge;
  return kReprise;
}

// One chord per bar: the intro, the verse, the chorus, the bridge, the verse again.
const char* const kChords[kBars] = {
    "C", "G", "Am", "F", "C", "G", "Am", "F", "C", "G", "F", "G", "F",  "G", "Em", "Am", "F", "G",
    "C", "C", "Am", "F", "C", "G", "Am", "F", "C", "G", "C", "G", "Am", "F", "C",  "G",  "F", "G"};

struct Chord {
  int bass;                // a low root
  std::vector<int> tones;  // a close voicing around middle C
};

Chord ChordOf(const std::string& name) {
  if (name == "C") return {36, {60, 64, 67}};
  if (name == "G") return {43, {59, 62, 67}};
  if (name == "Am") return {45, {57, 60, 64}};
  if (name == "F") return {41, {57, 60, 65}};
  return {40, {55, 59, 64}};  // Em
}

// Melodies, a bar per string, notes as name and octave with a length in eighths.
const char* const kVerseTune[8] = {
    "E5:2 G5:2 C6:3 B5:1",      "D6:2 B5:2 G5:4",      "A5:2 C6:2 E6:3 D6:1", "C6:2 A5:2 F5:4",
    "E5:1 F5:1 G5:2 E5:2 C5:2", "D5:2 G5:2 B5:2 D6:2", "C6:3 B5:1 A5:2 F5:2", "F5:2 A5:2 G5:4"};
const char* const kChorusTune[8] = {"A5:1 A5:1 A5:2 C6:2 A5:2",
                                    "B5:1 B5:1 B5:2 D6:2 B5:2",
                                    "G5:2 B5:2 E6:4",
                                    "E6:2 D6:2 C6:2 A5:2",
                                    "F5:2 A5:2 C6:2 F6:2",
                                    "E6:2 D6:2 B5:2 G5:2",
                                    "C6:6 r:2",
                                    "E6:1 D6:1 C6:1 B5:1 C6:2 r:2"};
const char* const kBridgeTune[8] = {"r:8",
                                    "r:8",
                                    "r:8",
                                    "r:4 G5:1 A5:1 B5:2",
                                    "A5:2 C6:2 E6:4",
                                    "F6:2 E6:2 C6:4",
                                    "G5:2 C6:2 E6:3 D6:1",
                                    "D6:4 B5:2 G5:2"};

struct Note {
  size_t start, length;
  int midi;
};

int ParsePitch(const std::string& name) {
  static const int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int pitch = kSemitone[name[0] - 'A'];
  size_t i = 1;
  if (name[i] == '#') {
    ++pitch;
    ++i;
  }
  return pitch + 12 * (std::atoi(name.c_str() + i) + 1);
}

// Appends the notes of one bar starting at the given frame.
void ParseBar(const char* bar, size_t at, std::vector<Note>& notes) {
  std::istringstream in(bar);
  std::string token;
  while (in >> token) {
    size_t colon = token.find(':');
    size_t length = std::stoul(token.substr(colon + 1)) * kEighth;
    if (token[0] != 'r') notes.push_back({at, length, ParsePitch(token.substr(0, colon))});
    at += length;
  }
}

std::vector<Note> Melody() {
  std::vector<Note> notes;
  for (int bar = 0; bar < kBars; ++bar) {
    int k = (bar - 4) % 8;
    const char* line = nullptr;
    switch (SectionOf(bar)) {
      case kVerse:
      case kReprise:
        line = kVerseTune[k];
        break;
      case kChorus:
        line = kChorusTune[k];
        break;
      case kBridge:
        line = kBridgeTune[k];
        break;
      case kIntro:
        break;
    }
    if (bar == kBars - 1) line = "G5:4 r:4";  // the tune ends on the first half
    if (line) ParseBar(line, bar * kBar, notes);
  }
  return notes;
}

// ---- Instruments. Each adds one event into a stereo bus.

void Kick(Stereo& out, size_t at, double gain) {
  double phase = 0;
  for (size_t n = 0; n < kSampleRate * 0.4; ++n) {
    double t = Seconds(n);
    double hz = 48 + 110 * std::exp(-t / 0.035);
    phase += hz / kSampleRate;
    double v = std::sin(kTau * phase) * std::exp(-t / 0.16);
    v += 0.25 * std::exp(-t / 0.002) * std::sin(kTau * 1800 * t);  // beater click
    AddPanned(out, at + n, gain * v, 0);
  }
}

void Snare(Stereo& out, size_t at, double gain, Rng& rng) {
  Svf band;
  Osc body;
  for (size_t n = 0; n < kSampleRate * 0.3; ++n) {
    double t = Seconds(n);
    double noise = band.Run(rng.Signed(), 2200, 0.6).band;
    double v = noise * std::exp(-t / 0.07) + 0.6 * body.Sine(185 - 30 * t) * std::exp(-t / 0.05);
    AddPanned(out, at + n, gain * v, 0.05);
  }
}

void Hat(Stereo& out, size_t at, double gain, bool open, Rng& rng) {
  Svf high;
  double decay = open ? 0.11 : 0.028;
  for (size_t n = 0; n < kSampleRate * decay * 6; ++n) {
    double t = Seconds(n);
    double v = high.Run(rng.Signed(), 8000, 0.8).high * std::exp(-t / decay);
    AddPanned(out, at + n, gain * v, 0.3);
  }
}

// A plucked, filtered sawtooth bass.
void Bass(Stereo& out, size_t at, size_t length, int midi, double gain) {
  Osc a, b(0.37);
  Svf filter;
  double hz = MidiToHz(midi + kTranspose);
  double hold = Seconds(length) * 0.85;
  for (size_t n = 0; n < length + kSampleRate * 0.05; ++n) {
    double t = Seconds(n);
    double env = std::min(1.0, t / 0.004) * (t < hold ? 1.0 : std::exp(-(t - hold) / 0.012));
    double cutoff = 220 + 1400 * std::exp(-t / 0.07);
    double raw = 0.6 * a.Saw(hz) + 0.4 * b.Pulse(hz, 0.5);
    AddPanned(out, at + n, gain * env * filter.Run(raw, cutoff, 1.4).low, 0);
  }
}

// Short off-beat chord stabs: two detuned saws per note.
void Stab(Stereo& out, size_t at, const std::vector<int>& tones, double gain, double decay) {
  for (size_t k = 0; k < tones.size(); ++k) {
    double hz = MidiToHz(tones[k] + kTranspose);
    Osc a(0.1 * k), b(0.5 + 0.1 * k);
    Svf filter;
    double pan = (static_cast<double>(k) - 1.0) * 0.35;
    for (size_t n = 0; n < kSampleRate * decay * 5; ++n) {
      double t = Seconds(n);
      double env = std::min(1.0, t / 0.003) * std::exp(-t / decay);
      double raw = a.Saw(hz * 1.004) + b.Saw(hz * 0.996);
      double v = filter.Run(raw, 900 + 2600 * std::exp(-t / 0.05), 0.9).low;
      AddPanned(out, at + n, gain * env * v, pan);
    }
  }
}

// A soft sustained pad for a whole bar.
void Pad(Stereo& out, size_t at, const std::vector<int>& tones, double gain) {
  double length = Seconds(kBar);
  for (size_t k = 0; k < tones.size(); ++k) {
    double hz = MidiToHz(tones[k] + kTranspose);
    Osc a(0.2 * k), b(0.6), c(0.9 - 0.2 * k);
    Svf filter;
    for (size_t n = 0; n < kBar + kSampleRate * 0.4; ++n) {
      double t = Seconds(n);
      double env = std::min(1.0, t / 0.25) * (t < length ? 1.0 : std::exp(-(t - length) / 0.12));
      double raw = a.Saw(hz * 1.006) + b.Saw(hz) + c.Saw(hz * 0.994);
      double v = filter.Run(raw, 1300, 0.7).low;
      AddPanned(out, at + n, gain * env * v, (k % 2 ? 0.5 : -0.5));
    }
  }
}

// One sixteenth of the arpeggio: a bright, quickly decaying narrow pulse.
void Arp(Stereo& out, size_t at, int midi, double gain, double pan) {
  Osc osc;
  Svf filter;
  double hz = MidiToHz(midi + kTranspose);
  for (size_t n = 0; n < kSampleRate * 0.2; ++n) {
    double t = Seconds(n);
    double env = std::min(1.0, t / 0.002) * std::exp(-t / 0.05);
    double v = filter.Run(osc.Pulse(hz, 0.25), 3500, 0.8).low;
    AddPanned(out, at + n, gain * env * v, pan);
  }
}

// The melody voice: a square with a little delayed vibrato, on a mono bus.
void Lead(std::vector<double>& bus, const Note& note, double gain) {
  Osc sq, tri;
  Svf filter;
  double hz = MidiToHz(note.midi + kTranspose);
  double hold = Seconds(note.length) * 0.9;
  for (size_t n = 0; n < note.length + kSampleRate * 0.1; ++n) {
    double t = Seconds(n);
    double env = std::min(1.0, t / 0.006) * (0.75 + 0.25 * std::exp(-t / 0.12));
    if (t > hold) env *= std::exp(-(t - hold) / 0.03);
    double vib =
        1.0 + 0.006 * std::min(1.0, std::max(0.0, t - 0.18) / 0.2) * std::sin(kTau * 5.5 * t);
    double raw = 0.7 * sq.Pulse(hz * vib, 0.5) + 0.5 * tri.Triangle(hz * vib * 0.5);
    double v = filter.Run(raw, 2400 + 1800 * std::exp(-t / 0.1), 0.8).low;
    size_t i = note.start + n;
    if (i < bus.size()) bus[i] += gain * env * v;
  }
}

}  // namespace

Stereo MakeMusic() {
  const size_t length = kBars * kBar;
  Stereo drums(length + kTail), bass(length + kTail), keys(length + kTail);
  Rng rng(0x7077);

  for (int bar = 0; bar < kBars; ++bar) {
    const size_t at = bar * kBar;
    const Section section = SectionOf(bar);
    const Chord chord = ChordOf(kChords[bar]);
    const bool breakdown = section == kBridge && bar < 24;
    if (bar == kBars - 1) {
      // The closing hit: everything together on the downbeat, then a breath.
      Kick(drums, at, 0.75);
      Snare(drums, at, 0.4, rng);
      Hat(drums, at, 0.25, true, rng);
      Bass(bass, at, 2 * kBeat, chord.bass, 0.3);
      Bass(bass, at, 2 * kBeat, chord.bass + 12, 0.15);
      Stab(keys, at, chord.tones, 0.12, 0.35);
      continue;
    }

    // Drums: four on the floor, snare on two and four, hats between.
    for (int s = 0; s < 16; ++s) {
      size_t t = at + s * kSixteenth;
      bool beat = s % 4 == 0;
      if (beat && !breakdown) Kick(drums, t, 0.75);
      bool snare_on = (s == 4 || s == 12) && (section != kIntro || bar >= 2) && !breakdown;
      if (snare_on) Snare(drums, t, 0.45, rng);
      if (s % 4 == 2)
        Hat(drums, t, 0.22, section == kChorus, rng);
      else if (!breakdown || bar == 23)
        Hat(drums, t, beat ? 0.1 : 0.06, false, rng);
    }
    // Fills lead into each new section: a run of snare sixteenths.
    bool before_section = bar == 3 || bar == 11 || bar == 19 || bar == 27 || bar == 34;
    if (before_section) {
      for (int s = 12; s < 16; ++s) Snare(drums, at + s * kSixteenth, 0.22 + 0.06 * (s - 12), rng);
    }
    if (bar == 23) {  // the bridge builds back up
      for (int s = 0; s < 16; s += s < 8 ? 2 : 1) {
        Snare(drums, at + s * kSixteenth, 0.1 + 0.02 * s, rng);
      }
    }

    // Bass: octave-bouncing eighths, or long held roots in the breakdown.
    if (breakdown) {
      Bass(bass, at, kBar - kSixteenth, chord.bass, 0.3);
    } else {
      for (int e = 0; e < 8; ++e) {
        int note = chord.bass + (e % 2 ? 12 : 0);
        Bass(bass, at + e * kEighth, kEighth, note, e % 2 ? 0.25 : 0.3);
      }
    }

    // Keys: off-beat stabs, a pad in the chorus and bridge, an arpeggio on top.
    if (!breakdown && section != kChorus) {
      for (int b = 0; b < 4; ++b) Stab(keys, at + b * kBeat + kEighth, chord.tones, 0.11, 0.07);
    }
    if (section == kChorus || section == kBridge) Pad(keys, at, chord.tones, 0.05);
    if (section == kChorus || section == kBridge || section == kReprise) {
      static const int kOrder[] = {0, 1, 2, 3, 4, 3, 2, 1};
      for (int s = 0; s < 16; ++s) {
        int k = kOrder[s % 8];
        int note = chord.tones[k % 3] + 12 * (k / 3) + 12;
        Arp(keys, at + s * kSixteenth, note, breakdown ? 0.18 : 0.12, s % 2 ? 0.45 : -0.45);
      }
    }
  }

  // The melody with a ping-pong echo three sixteenths behind.
  std::vector<double> lead(length + kTail, 0.0);
  for (const Note& note : Melody()) Lead(lead, note, 0.25);
  Stereo melody(length + kTail);
  {
    const size_t delay = 3 * kSixteenth;
    std::vector<double> echo_l(length + kTail, 0.0), echo_r(length + kTail, 0.0);
    for (size_t i = 0; i < lead.size(); ++i) {
      double from_r = i >= delay ? echo_r[i - delay] : 0.0;
      double from_l = i >= delay ? echo_l[i - delay] : 0.0;
      echo_l[i] = (i >= delay ? lead[i - delay] : 0.0) * 0.45 + from_r * 0.4;
      echo_r[i] = from_l * 0.8;
      melody.left[i] += static_cast<float>(lead[i] + echo_l[i] * 0.6);
      melody.right[i] += static_cast<float>(lead[i] + echo_r[i] * 0.6);
    }
  }

  // Mix, fold the ringing tail onto the start, and soften the peaks.
  Stereo out(length);
  for (size_t i = 0; i < length + kTail; ++i) {
    size_t j = i % length;
    out.left[j] += drums.left[i] + bass.left[i] + keys.left[i] + melody.left[i];
    out.right[j] += drums.right[i] + bass.right[i] + keys.right[i] + melody.right[i];
  }
  // The kick's first half-cycle leaves an offset; a 20 Hz high-pass removes it.
  for (std::vector<float>* channel : {&out.left, &out.right}) {
    const double r = 1.0 - kTau * 20.0 / kSampleRate;
    double x1 = 0, y1 = 0;
    for (float& v : *channel) {
      double y = v - x1 + r * y1;
      x1 = v;
      y1 = y;
      v = static_cast<float>(y);
    }
  }
  Normalise(out, 1.2);
  for (size_t i = 0; i < length; ++i) {
    double t = Seconds(i);
    double edge = std::clamp(std::min(t / 0.005, (Seconds(length) - t) / 0.25), 0.0, 1.0);
    out.left[i] = static_cast<float>(edge * std::tanh(out.left[i]));
    out.right[i] = static_cast<float>(edge * std::tanh(out.right[i]));
  }
  return out;
}

}  // namespace mediagen
