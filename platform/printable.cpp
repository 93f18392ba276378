// Texts from outside made safe to show.
#include "platform/platform.h"

namespace {

// The length of the valid UTF-8 sequence at text[i], 0 when there is none.
size_t Utf8Length(const std::string& text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  const size_t n = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (n == 0 || lead > 0xF4 || i + n > text.size()) return 0;
  for (size_t k = 1; k < n; k++)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace

std::string Printable(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t n = Utf8Length(text, i);
    if (n > 0) {
      // U+0080 to U+009F are the C1 controls a UTF-8 terminal obeys.
      const bool c1 = c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
      out += c1 ? std::string("?") : text.substr(i, n);
      i += n;
      continue;
    }
    // A lone byte: Latin-1 letters stay, controls and the raw C1 go.
    out += c < 0x20 || (c >= 0x7F && c < 0xA0) ? '?' : static_cast<char>(c);
    i++;
  }
  return out;
}
