// A message the desktop's box could not show, on a screen of the game's own:
// the text broken into lines that fit the window, until Enter.
#include <string>
#include <vector>

#include "app/game.h"
#include "app/menudraw.h"
#include "match/quit.h"
#include "platform/platform.h"

namespace {

constexpr size_t mostlines = 12;  // a longer text is cut; stderr has it whole

// Words gathered into lines no wider than `room` at `scale`; a word wider
// than that has a line of its own (and is shrunk when drawn).
std::vector<std::string> breaklines(const std::string& text, double scale, double room) {
  std::vector<std::string> lines(1);
  size_t at = 0;
  while (at < text.size() && lines.size() <= mostlines) {
    const size_t end = text.find_first_of(" \n", at);
    const std::string word = text.substr(at, end == std::string::npos ? end : end - at);
    const std::string longer = lines.back().empty() ? word : lines.back() + " " + word;
    if (!lines.back().empty() && LabelWidth(longer) * scale > room) {
      lines.push_back(word);
    } else {
      lines.back() = longer;
    }
    if (end != std::string::npos && text[end] == '\n') lines.emplace_back();
    at = end == std::string::npos ? text.size() : end + 1;
  }
  if (lines.size() > mostlines) lines.resize(mostlines);
  return lines;
}

}  // namespace

void messagescreen(const std::string& text, int width, int height) {
  if (LabelWidth("M") <= 0) return;  // no font to write with
  const double w = width;
  const double scale = textscale(2.5, w);
  const std::vector<std::string> lines = breaklines(text, scale, w * 0.9);
  const double step = LabelHeight() * scale * 1.4;
  ClearKeys();
  for (;;) {
    Cls();
    SetColor(230, 230, 230);
    double y = height * 0.45 - step * lines.size() / 2;
    for (const std::string& line : lines) {
      drawcentredfit(line, y, scale, w);
      y += step;
    }
    SetColor(100, 100, 100);
    drawcentred("PRESS ENTER TO GO ON", height * 0.8, textscale(2, w), w);
    SetDrawScale(1, 1);
    Flip(-1);
    checkquit();
    if (KeyPresses(keyenter) != 0) break;
  }
  ClearKeys();
}
