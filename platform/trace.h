// The trace of a scripted run: one line per platform call. With no trace
// file every call is a single test of a null pointer.
#pragma once

#include <cstdio>
#include <string>

namespace plat {

// One trace line under construction: fields joined by one blank, reals as
// %.6g, an optional free text last.
class TraceLine {
 public:
  explicit TraceLine(const char* tag);
  TraceLine& Real(double v);
  TraceLine& Int(long v);
  // Free text running to the end of the line; must be the last field.
  TraceLine& Text(const std::string& text) {
    text_ = &text;
    return *this;
  }

 private:
  friend class Trace;
  void Append(const char* s, int n);
  char buf_[320];
  int length_ = 0;
  const std::string* text_ = nullptr;
};

class Trace {
 public:
  ~Trace() { Close(); }
  bool Open(const std::string& path);
  void Close();
  bool on() const { return file_ != nullptr; }
  void Write(const TraceLine& line);
  void Flush();

 private:
  FILE* file_ = nullptr;
};

// The file name without its folder, as the trace names images and sounds.
std::string BaseName(const std::string& path);

}  // namespace plat
