// The trace of a scripted run: one line per platform call. With no trace
// file every call is a single test of a null pointer.
#pragma once

#include <cstdio>
#include <string>

namespace plat {

class Trace {
 public:
  ~Trace() { Close(); }
  bool Open(const std::string& path);
  void Close();
  bool on() const { return file_ != nullptr; }

  // One whole line from a printf format (the newline is added).
  void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // A line whose last field is free text running to the end of the line.
  void LineWithText(const std::string& text, const char* format, ...)
      __attribute__((format(printf, 3, 4)));
  void Flush();

 private:
  FILE* file_ = nullptr;
};

// The file name without its folder, as the trace names images and sounds.
std::string BaseName(const std::string& path);

}  // namespace plat
