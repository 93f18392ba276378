#include "platform/samemath.h"

#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double kPi = 0x1.921fb54442d18p+1;
constexpr double kHalfPi = 0x1.921fb54442d18p+0;

// atan(k/8) for k = 0..8, rounded to nearest.
constexpr double kAtanEighths[9] = {
    0x0p+0,
    0x1.fd5ba9aac2f6ep-4,
    0x1.f5b75f92c80ddp-3,
    0x1.6f61941e4def1p-2,
    0x1.dac670561bb4fp-2,
    0x1.1e00babdefeb4p-1,
    0x1.4978fa3269ee1p-1,
    0x1.700a7c5784634p-1,
    0x1.921fb54442d18p-1,
};

// atan(t) for 0 <= t <= 1: atan(t) = atan(c) + atan((t - c) / (1 + t c)) with c
// the nearest eighth, which leaves |u| <= 1/15; the series to u^19 is then
// exact to well under an ulp.
double AtanUnit(double t) {
  const int k = static_cast<int>(t * 8 + 0.5);
  const double c = k / 8.0;
  const double u = (t - c) / (1 + t * c);
  const double u2 = u * u;
  // The series' coefficients -1/19, 1/17, ..., -1/3, rounded as the
  // divisions would round them.
  static constexpr double kCoefficient[9] = {-1.0 / 19, 1.0 / 17, -1.0 / 15, 1.0 / 13, -1.0 / 11,
                                             1.0 / 9,   -1.0 / 7, 1.0 / 5,   -1.0 / 3};
  double s = kCoefficient[0];
  for (int i = 1; i < 9; i++) s = kCoefficient[i] + u2 * s;
  return kAtanEighths[k] + (u + u * u2 * s);
}

// atan(t) for t >= 0.
double AtanPositive(double t) {
  if (t <= 1) return AtanUnit(t);
  if (t == std::numeric_limits<double>::infinity()) return kHalfPi;
  return kHalfPi - AtanUnit(1 / t);
}

// The correction step for a rounded sqrt(x^2 + y^2), x >= y > 0, which makes
// it correctly rounded in all but the closest cases.
double HypotKernel(double ax, double ay) {
  double h = std::sqrt(ax * ax + ay * ay);
  double t1, t2;
  if (h <= 2 * ay) {
    const double delta = h - ay;
    t1 = ax * (2 * delta - ax);
    t2 = (delta - 2 * (ax - ay)) * delta;
  } else {
    const double delta = h - ax;
    t1 = 2 * delta * (ax - 2 * ay);
    t2 = (4 * delta - ay) * ay + delta * delta;
  }
  return h - (t1 + t2) / (2 * h);
}

}  // namespace

double SameAtan(double x) {
  if (std::isnan(x)) return x;
  return std::copysign(AtanPositive(std::fabs(x)), x);
}

double SameAtan2(double y, double x) {
  if (std::isnan(x) || std::isnan(y)) return x + y;
  const double ax = std::fabs(x), ay = std::fabs(y);
  double a;
  if (ay == 0) {
    a = 0;
  } else if (ax == 0) {
    a = kHalfPi;
  } else if (std::isinf(ax) && std::isinf(ay)) {
    a = kHalfPi / 2;
  } else if (ay <= ax) {
    a = AtanPositive(ay / ax);
  } else {
    a = kHalfPi - AtanPositive(ax / ay);
  }
  if (std::signbit(x)) a = kPi - a;
  return std::copysign(a, y);
}

double SameHypot(double x, double y) {
  double ax = std::fabs(x), ay = std::fabs(y);
  if (std::isinf(ax) || std::isinf(ay)) return std::numeric_limits<double>::infinity();
  if (std::isnan(ax) || std::isnan(ay)) return ax + ay;
  if (ax < ay) std::swap(ax, ay);
  if (ay == 0) return ax;
  // Out of the squares' range, scale by a power of two (exact) and back.
  if (ax > 0x1p500) return HypotKernel(ax * 0x1p-600, ay * 0x1p-600) * 0x1p600;
  if (ay < 0x1p-500) {
    if (ax < 0x1p-500) return HypotKernel(ax * 0x1p600, ay * 0x1p600) * 0x1p-600;
    if (ay < ax * 0x1p-54) return ax;
  }
  return HypotKernel(ax, ay);
}
