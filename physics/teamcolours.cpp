#include "physics/teamcolours.h"

namespace {

int palette = usualpalette;

constexpr teamrgb grey = {130, 130, 130};
constexpr teamrgb usualshirts[4] = {{200, 0, 0}, {0, 0, 200}, {0, 200, 0}, {200, 200, 0}};
constexpr teamrgb usualbars[4] = {{255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 255, 0}};
constexpr teamrgb usualballs[4] = {
    {255, 130, 130}, {130, 130, 255}, {130, 255, 130}, {255, 255, 130}};
// Red, violet-blue, aqua and yellow, chosen by their distances under
// simulated protanopia, deuteranopia and tritanopia; the balls are the
// same colours lightened by 45% toward white, as the usual balls are paler
// than the shirts.
constexpr teamrgb distinct[4] = {{220, 0, 30}, {130, 50, 255}, {50, 255, 225}, {255, 255, 0}};
constexpr teamrgb distinctballs[4] = {
    {236, 115, 131}, {186, 142, 255}, {142, 255, 238}, {255, 255, 115}};

teamrgb pick(const teamrgb (&usual)[4], const teamrgb (&other)[4], int team) {
  if (team < 1 || team > 4) return grey;
  return palette == distinctpalette ? other[team - 1] : usual[team - 1];
}

}  // namespace

void setteampalette(int p) { palette = p == distinctpalette ? distinctpalette : usualpalette; }
int teampalette() { return palette; }

teamrgb shirtcolour(int team) { return pick(usualshirts, distinct, team); }
teamrgb barcolour(int team) { return pick(usualbars, distinct, team); }
teamrgb ballcolour(int team) { return pick(usualballs, distinctballs, team); }

teamrgb shownballcolour(int r, int g, int b) {
  for (int team = 1; team <= 4; team++) {
    const teamrgb& u = usualballs[team - 1];
    if (u.r == r && u.g == g && u.b == b) return ballcolour(team);
  }
  return {r, g, b};
}
