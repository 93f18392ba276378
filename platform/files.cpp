// Text files read and written line by line. Writes go to a temporary file
// that replaces the target only once everything is safely on disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/internal.h"

struct TextStream {
  FILE* file = nullptr;
  bool writing = false;
  bool failed = false;
  std::string target;  // the file a write replaces
  std::string temp;
};

TextStream* OpenRead(const std::string& path) {
  FILE* f = fopen(plat::ResolvePath(path).c_str(), "rb");
  if (!f) return nullptr;
  auto* s = new TextStream;
  s->file = f;
  return s;
}

TextStream* OpenWrite(const std::string& path) {
  std::string target = plat::ResolvePath(path);
  std::vector<char> name(target.begin(), target.end());
  const char kSuffix[] = ".tmp.XXXXXX";
  name.insert(name.end(), kSuffix, kSuffix + sizeof kSuffix);  // with the NUL
  int fd = mkstemp(name.data());
  if (fd < 0) return nullptr;
  fchmod(fd, 0644);
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    close(fd);
    unlink(name.data());
    return nullptr;
  }
  auto* s = new TextStream;
  s->file = f;
  s->writing = true;
  s->target = target;
  s->temp = name.data();
  return s;
}

std::string ReadLine(TextStream* stream) {
  std::string line;
  if (!stream || stream->writing) return line;
  FILE* f = stream->file;
  for (;;) {
    int c = getc(f);
    if (c == EOF || c == '\n' || c == 0) break;
    if (c != '\r') line.push_back(static_cast<char>(c));
  }
  return line;
}

void WriteLine(TextStream* stream, const std::string& text) {
  if (!stream || !stream->writing) return;
  if (fwrite(text.data(), 1, text.size(), stream->file) != text.size() ||
      fwrite("\r\n", 1, 2, stream->file) != 2)
    stream->failed = true;
}

bool Eof(TextStream* stream) {
  if (!stream || stream->writing) return true;
  int c = getc(stream->file);
  if (c == EOF) return true;
  ungetc(c, stream->file);
  return false;
}

bool Close(TextStream* stream) {
  if (!stream) return false;
  bool ok = true;
  if (stream->writing) {
    ok = !stream->failed && fflush(stream->file) == 0 && !ferror(stream->file);
    ok = ok && fsync(fileno(stream->file)) == 0;
    ok = (fclose(stream->file) == 0) && ok;
    ok = ok && rename(stream->temp.c_str(), stream->target.c_str()) == 0;
    if (!ok) unlink(stream->temp.c_str());
  } else {
    fclose(stream->file);
  }
  delete stream;
  return ok;
}

bool CreateEmptyFile(const std::string& path) {
  // An existing file is left as it is: creating never destroys data.
  int fd = open(plat::ResolvePath(path).c_str(), O_WRONLY | O_CREAT, 0644);
  if (fd < 0) return false;
  return close(fd) == 0;
}
