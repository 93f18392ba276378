#include "platform/trace.h"

#include <cstdarg>

namespace plat {

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

void Trace::Line(const char* format, ...) {
  if (!file_) return;
  va_list args;
  va_start(args, format);
  vfprintf(file_, format, args);
  va_end(args);
  fputc('\n', file_);
}

void Trace::LineWithText(const std::string& text, const char* format, ...) {
  if (!file_) return;
  va_list args;
  va_start(args, format);
  vfprintf(file_, format, args);
  va_end(args);
  fputc(' ', file_);
  // A line break inside the text would split the record; it shows as a blank.
  for (char c : text) fputc(c == '\n' || c == '\r' ? ' ' : c, file_);
  fputc('\n', file_);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace plat
