#include "platform/trace.h"

#include <cmath>
#include <cstring>

namespace plat {

namespace {

// Writes |v| in decimal backwards from `end`; returns the first character.
char* Digits(unsigned long v, char* end) {
  do {
    *--end = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v);
  return end;
}

}  // namespace

TraceLine::TraceLine(const char* tag) { Append(tag, static_cast<int>(strlen(tag))); }

void TraceLine::Append(const char* s, int n) {
  if (length_ + n + 1 > static_cast<int>(sizeof buf_)) return;  // cannot happen for our fields
  memcpy(buf_ + length_, s, n);
  length_ += n;
}

TraceLine& TraceLine::Int(long v) {
  char tmp[24];
  char* end = tmp + sizeof tmp;
  unsigned long mag = v < 0 ? 0ul - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
  char* p = Digits(mag, end);
  if (v < 0) *--p = '-';
  *--p = ' ';
  Append(p, static_cast<int>(end - p));
  return *this;
}

TraceLine& TraceLine::Real(double v) {
  // Whole numbers below a million print the same under %.6g as plain
  // integers, and they are most of the fields; skip printf for them.
  if (v == std::trunc(v) && std::fabs(v) < 1e6 && !(v == 0 && std::signbit(v)))
    return Int(static_cast<long>(v));
  char tmp[40];
  int n = snprintf(tmp, sizeof tmp, " %.6g", v);
  if (n > 0) Append(tmp, n < static_cast<int>(sizeof tmp) ? n : static_cast<int>(sizeof tmp) - 1);
  return *this;
}

bool Trace::Open(const std::string& path) {
  Close();
  file_ = fopen(path.c_str(), "wb");
  if (!file_) return false;
  setvbuf(file_, nullptr, _IOFBF, 1 << 16);
  return true;
}

void Trace::Close() {
  if (file_) fclose(file_);
  file_ = nullptr;
}

void Trace::Flush() {
  if (file_) fflush(file_);
}

void Trace::Write(const TraceLine& line) {
  if (!file_) return;
  char out[sizeof line.buf_ + 256];
  int n = line.length_;
  memcpy(out, line.buf_, n);
  if (line.text_) {
    out[n++] = ' ';
    const std::string& text = *line.text_;
    for (size_t i = 0; i < text.size(); ++i) {
      if (n == static_cast<int>(sizeof out)) {
        fwrite(out, 1, n, file_);
        n = 0;
      }
      // A line break inside the text would split the record; it shows as a blank.
      char c = text[i];
      out[n++] = c == '\n' || c == '\r' ? ' ' : c;
    }
  }
  if (n == static_cast<int>(sizeof out)) {
    fwrite(out, 1, n, file_);
    n = 0;
  }
  out[n++] = '\n';
  fwrite(out, 1, n, file_);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace plat
