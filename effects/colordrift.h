// Slowly cycling colours: every menu title and highlight, the match banner,
// the background grid and the fireworks wander through the colour cube.
#pragma once

#include <array>
#include <vector>

// Rows of red, green, blue on a 0..255 scale, and the per-step drift of each
// channel (same shape; magnitude 2, only the sign changes).
using ColorTable = std::vector<std::array<float, 3>>;

ColorTable MakeColorTable(int rows, float value);

// One step for every row of `colors`; draws exactly one random number per
// channel of every row. `adders` must have at least as many rows.
void driftcolors(ColorTable& colors, ColorTable& adders);
// The same step for one colour triple and its step triple.
void driftcolor(float* color, float* adder);
// Every drift becomes +2.
void initadders(ColorTable& adders);
