// Text to numbers, and trigonometry in degrees (the arc tangents the same
// on every build: the simulation steers by them).
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/platform.h"
#include "platform/samemath.h"

namespace {

constexpr double kRadToDeg = 180.0 / 3.14159265358979323846;
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

bool Blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Reads the integer at the start of `text`, saturating at +-limit (the
// negative side one further, as two's complement allows).
int64_t ParseInteger(const std::string& text, uint64_t limit) {
  size_t i = 0, n = text.size();
  while (i < n && Blank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i < n && text[i] == '%') {
    base = 2;
    ++i;
  }
  uint64_t cap = negative ? limit + 1 : limit;
  uint64_t value = 0;
  for (; i < n; ++i) {
    int d = DigitValue(text[i]);
    if (d >= base) break;
    if (value > (cap - d) / base)
      value = cap;  // saturate, keep consuming digits
    else
      value = value * base + d;
  }
  if (negative)
    return value == limit + 1 ? -static_cast<int64_t>(limit) - 1 : -static_cast<int64_t>(value);
  return static_cast<int64_t>(value);
}

}  // namespace

int TextToInt(const std::string& text) {
  return static_cast<int>(ParseInteger(text, std::numeric_limits<int>::max()));
}

int64_t TextToInt64(const std::string& text) {
  return ParseInteger(text, std::numeric_limits<int64_t>::max());
}

double TextToReal(const std::string& text) {
  // Take only sign, digits, fraction and exponent, so that hexadecimal,
  // "inf" and "nan" read as they would in any other field: 0.
  size_t i = 0, n = text.size();
  while (i < n && Blank(text[i])) ++i;
  size_t start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < n && isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < n && isdigit(static_cast<unsigned char>(text[j]))) {
      while (j < n && isdigit(static_cast<unsigned char>(text[j]))) ++j;
      i = j;
    }
  }
  double v = strtod(text.substr(start, i - start).c_str(), nullptr);
  if (v > DBL_MAX) return DBL_MAX;
  if (v < -DBL_MAX) return -DBL_MAX;
  return v;
}

double Sind(double degrees) { return std::sin(degrees * kDegToRad); }
double Cosd(double degrees) { return std::cos(degrees * kDegToRad); }
double ATand(double x) { return SameAtan(x) * kRadToDeg; }
double ATan2d(double y, double x) { return SameAtan2(y, x) * kRadToDeg; }

bool ReadDecimal(const std::string& text, uint64_t limit, uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t d = static_cast<uint64_t>(c - '0');
    if (d > limit || v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  *value = v;
  return true;
}
