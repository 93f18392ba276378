// The match's own effects: fireworks launched over the arena once a match
// is won, and the main balls' trail. The fireworks and dots themselves live
// in effects/.
#include <algorithm>
#include <iterator>
#include <memory>

#include "match/tlevel.h"

namespace {

constexpr int maxfireworks = 3;
constexpr int sparksperfirework = 400;
constexpr double launchdepth = -2000;
constexpr double launchspeed = 20;

}  // namespace

int tlevel::Handlefireworks() {
  if (winner != 0 && RandomInt(0, 100) > 95 &&
      fireworkslist.size() < static_cast<size_t>(maxfireworks) && optfireworks == 1 && border) {
    // The arena with its half-circle ends, clipped to what the camera sees
    // at the launch depth.
    double e = 1 / zoom + 2;
    double halfh = (border->down - border->up) / 2;
    float xmin = static_cast<float>(std::max(border->Left - halfh, xcenter - xwin / 2.0 * e));
    float xmax = static_cast<float>(std::min(border->Right + halfh, xcenter + xwin / 2.0 * e));
    float ymin = static_cast<float>(std::max(border->up, ycenter - ywin / 2.0 * e));
    float ymax = static_cast<float>(std::min(border->down, ycenter + ywin / 2.0 * e));
    int blue = RandomInt(0, 255);
    int green = RandomInt(0, 255);
    int red = RandomInt(0, 255);
    int y = RandomInt(static_cast<int>(ymin), static_cast<int>(ymax));
    int x = RandomInt(static_cast<int>(xmin), static_cast<int>(xmax));
    auto firework = std::make_unique<Tfirework>();
    firework->init(x, y, launchdepth, 0, 0, launchspeed, red, green, blue, sparksperfirework,
                   images.starimage, 0);
    fireworkslist.push_back(std::move(firework));
  }

  for (auto it = fireworkslist.begin(); it != fireworkslist.end();) {
    Tfirework& firework = **it;
    bool faded = firework.update() != 0;
    // A firework that fades out this frame is still drawn once.
    if (!silent) firework.draw(xcenter, ycenter, zoom, xwin, ywin);
    it = faded ? fireworkslist.erase(it) : std::next(it);
  }
  return 0;
}

int tlevel::handledotbursts(double zoom, double xcenter, double ycenter, double xwin, double ywin) {
  for (int i = 0; i < mainballnumber; i++) {
    Tmainball& mb = *mainball[i];
    if (opttrail == 1) {
      auto dot = std::make_unique<dotburst>();
      dot->init(mb.x, mb.y, 0, 0, mb.realcolor.data(), images.sparki, 1.0);
      dotlist.push_front(std::move(dot));
    } else if (opttrail == 2) {
      // Two dots at half strength, the second halfway back to where the ball
      // started the frame, to close the gaps of a fast ball.
      auto dot = std::make_unique<dotburst>();
      dot->init(mb.x, mb.y, 0, 0, mb.realcolor.data(), images.sparki, 0.5);
      dotlist.push_front(std::move(dot));
      dot = std::make_unique<dotburst>();
      dot->init((mb.x + mb.oldx) / 2, (mb.y + mb.oldy) / 2, 0, 0, mb.realcolor.data(),
                images.sparki, 0.5);
      dotlist.push_front(std::move(dot));
    }
  }

  for (auto it = dotlist.begin(); it != dotlist.end();) {
    dotburst& dot = **it;
    bool faded = dot.update(slower) != 0;
    // A dot that fades out this frame is still drawn once.
    if (!silent) dot.draw(zoom, xcenter, ycenter, xwin, ywin);
    it = faded ? dotlist.erase(it) : std::next(it);
  }
  return 0;
}
