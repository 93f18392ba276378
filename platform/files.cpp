// Text files read and written line by line. Writes go to a temporary file
// that replaces the target only once everything is safely on disk.
#include <dirent.h>
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

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  TextStream* s = OpenWrite(path);
  if (!s) return false;
  if (fwrite(bytes.data(), 1, bytes.size(), s->file) != bytes.size()) s->failed = true;
  return Close(s);
}

int ReadWholeFile(const std::string& path, size_t limit, std::string* bytes) {
  bytes->clear();
  FILE* f = fopen(plat::ResolvePath(path).c_str(), "rb");
  if (!f) return 1;
  // Read in pieces up to one byte past the limit: the size a file claims
  // is never trusted, and a long file costs no more than the limit.
  char buf[65536];
  int result = 0;
  for (;;) {
    size_t n = fread(buf, 1, sizeof buf, f);
    if (n > 0) {
      if (bytes->size() + n > limit) {
        result = 2;
        break;
      }
      bytes->append(buf, n);
    }
    if (n < sizeof buf) {
      if (ferror(f)) result = 1;
      break;
    }
  }
  fclose(f);
  if (result != 0) bytes->clear();
  return result;
}

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  std::string folder = plat::ResolvePath(path);
  DIR* d = opendir(folder.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    if (stat((folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
  }
  closedir(d);
  return names;
}

bool MakeFolder(const std::string& path) {
  std::string folder = plat::ResolvePath(path);
  if (mkdir(folder.c_str(), 0755) == 0) return true;
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path) { return unlink(plat::ResolvePath(path).c_str()) == 0; }
