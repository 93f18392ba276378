#include "app/onlinesettings.h"

std::vector<uint8_t> encodesettings(const Tmultiplayersettings& m, int xwin, int ywin) {
  std::vector<uint8_t> out;
  for (int v : {m.speed, m.ballsize, m.ballmass, m.gravity, m.arenanum})
    out.push_back(static_cast<uint8_t>(v));
  for (int v : {xwin, ywin}) {
    out.push_back(static_cast<uint8_t>(v & 0xff));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  return out;
}

bool decodesettings(const std::vector<uint8_t>& in, seriessettings& s) {
  if (in.size() != 9) return false;
  auto within = [](int v, int lo, int hi) { return v >= lo && v <= hi; };
  if (!within(in[0], 1, 10) || !within(in[1], 1, 10) || !within(in[2], 1, 10) ||
      !within(in[3], 0, 10) || !within(in[4], 0, 16))
    return false;
  const int xwin = in[5] | in[6] << 8, ywin = in[7] | in[8] << 8;
  const int r = resolutionof(xwin, ywin);
  if (r == 0) return false;
  Tmultiplayersettings& m = s.multi;
  m.speed = in[0];
  m.ballsize = in[1];
  m.ballmass = in[2];
  m.gravity = in[3];
  m.arenanum = in[4];
  s.resolution = r;
  return true;
}
