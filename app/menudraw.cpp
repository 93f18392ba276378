#include "app/menudraw.h"

#include "platform/platform.h"

void setrowcolor(const ColorTable& table, int row) {
  const std::array<float, 3>& c = table[row];
  SetColor(static_cast<int>(c[0]), static_cast<int>(c[1]), static_cast<int>(c[2]));
}

void drawcentred(const std::string& text, double y, double scale, double w) {
  SetDrawScale(scale, scale);
  DrawLabelCentred(text, y, w);
}

void drawcentredfit(const std::string& text, double y, double scale, double w) {
  const double natural = LabelWidth(text);
  const double room = w * 0.94;
  if (natural * scale > room) scale = room / natural;
  drawcentred(text, y, scale, w);
}

void menuframe(const std::string& title, ColorTable& colors, ColorTable& adders, double w) {
  Cls();
  driftcolors(colors, adders);
  setrowcolor(colors, titlerow);
  drawcentred(title, perwidth(50, w), textscale(7, w), w);
}

void drawitem(const std::string& text, double y, double scale, double w, bool selected,
              const ColorTable& table) {
  if (selected) {
    setrowcolor(table, highlightrow);
  } else {
    SetColor(100, 100, 100);
  }
  drawcentred(text, y, scale, w);
}

int wrapitem(int item, int count) {
  if (KeyPresses(keyup) != 0) item--;
  if (KeyPresses(keydown) != 0) item++;
  if (item < 1) item = count;
  if (item > count) item = 1;
  return item;
}

int clampto(int value, int lo, int hi) {
  if (value > hi) return hi;
  if (value < lo) return lo;
  return value;
}

bool confirmpressed() { return KeyPresses(keyenter) != 0 || KeyPresses(keyspace) != 0; }
