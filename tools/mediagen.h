// The media generator: every image and sound of the game is computed here, so the
// data can be rebuilt from the sources and always comes out byte for byte the same.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mediagen {

// A small deterministic random generator (splitmix64). The standard distributions are
// not used because their output differs between library versions.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  // Uniform in [-1, 1).
  double Signed() { return Unit() * 2.0 - 1.0; }

 private:
  uint64_t state_;
};

// Straight (not premultiplied) RGBA, each channel 0 to 1.
struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};

// An image being built, straight RGBA per pixel, composited with the "over" rule.
class Canvas {
 public:
  Canvas(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  Rgba Get(int x, int y) const;  // straight alpha
  void Set(int x, int y, const Rgba& c);
  // Composites c, with its alpha scaled by coverage, over the pixel.
  void Over(int x, int y, const Rgba& c, double coverage);
  // Gives transparent pixels near visible ones a matching colour (alpha stays 0).
  void BleedEdges(int passes);

 private:
  int width_, height_;
  std::vector<double> px_;  // straight r, g, b, a
};

// Writes an 8-bit RGBA PNG. Fully transparent pixels keep their colour so that
// filtered textures do not grow dark fringes.
bool WritePng(const Canvas& canvas, const std::string& path);

// Interleaved stereo at 44100 Hz, samples in [-1, 1].
constexpr int kSampleRate = 44100;
struct Stereo {
  std::vector<float> left, right;
  explicit Stereo(size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
  size_t frames() const { return left.size(); }
};

// Encodes with libvorbisenc at the given quality (-0.1 to 1). The stream serial
// number is fixed so that the file is reproducible.
bool WriteOgg(const Stereo& sound, double quality, const std::string& path);

// Scales the sound so that its largest sample is peak.
void Normalise(Stereo& sound, double peak);

// Generators, one per file or family of files.
bool MakeImages(const std::string& media_dir);
bool MakeIcons(const std::string& icon_dir);
Stereo MakeCheers();
Stereo MakeMusic();

}  // namespace mediagen
