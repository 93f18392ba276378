// The drawing shared by every menu screen: centred labels whose size and
// position follow the window width, in grey or in a cycling colour.
#pragma once

#include <string>

#include "effects/colordrift.h"

// Rows of a colour table with a meaning of their own.
constexpr int titlerow = 1;
constexpr int highlightrow = 2;

// A length on a 1024-pixel-wide screen, scaled to a window `w` pixels wide.
inline double perwidth(double length, double w) { return length * w / 1024.0; }
// The drawing scale of a text of nominal size `size` (the font is rasterised
// at 128 pixels and drawn smaller).
inline double textscale(double size, double w) { return size * w / 1024.0 * 0.1; }

// The colour of one row, each channel truncated toward zero.
void setrowcolor(const ColorTable& table, int row);
// Draws `text` horizontally centred on a window `w` wide, top at y.
void drawcentred(const std::string& text, double y, double scale, double w);
// The same, shrunk where it would be wider than the window less a margin.
void drawcentredfit(const std::string& text, double y, double scale, double w);
// The start of a menu screen's frame: the screen cleared, the colours one
// step on and `title` across the top in the title colour.
void menuframe(const std::string& title, ColorTable& colors, ColorTable& adders, double w);
// A menu entry: grey, or in the highlight colour of `table` when selected.
void drawitem(const std::string& text, double y, double scale, double w, bool selected,
              const ColorTable& table);
// One step of an Up/Down selection over items 1..count with wrap-around.
int wrapitem(int item, int count);
// `value` limited to lo..hi.
int clampto(int value, int lo, int hi);
// True when Enter, or else Space, was pressed since the last query.
bool confirmpressed();
