#include "effects/colordrift.h"

#include <cmath>

#include "platform/platform.h"

ColorTable MakeColorTable(int rows, float value) {
  return ColorTable(rows > 0 ? rows : 0, {value, value, value});
}

void driftcolor(float* color, float* adder) {
  for (int c = 0; c < 3; c++) {
    // About once per hundred steps a channel turns round at random.
    if (RandomReal(0, 1000) > 990) adder[c] = -adder[c];
    if (color[c] >= 253) adder[c] = -std::fabs(adder[c]);
    if (color[c] <= 3) adder[c] = std::fabs(adder[c]);
    color[c] += adder[c];
  }
}

void driftcolors(ColorTable& colors, ColorTable& adders) {
  for (size_t r = 0; r < colors.size() && r < adders.size(); r++) {
    driftcolor(colors[r].data(), adders[r].data());
  }
}

void initadders(ColorTable& adders) {
  for (auto& row : adders) row = {2.0f, 2.0f, 2.0f};
}
