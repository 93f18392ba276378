// Files read and written, whole or line by line, and the folders that hold
// them. Writes go to a temporary file that replaces the target only once
// everything is safely on disk.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/internal.h"
#include "platform/paths.h"

struct TextStream {
  FILE* file = nullptr;  // the file read, or the temporary file written
  bool writing = false;
  bool failed = false;
  bool damaged = false;  // a read met a line too long to be real
  int error = 0;       // why a write failed
  std::string target;  // the file a write replaces
  std::string temp;
  // No temporary file could be made: the lines are kept here and written
  // over the target itself on Close.
  int inPlaceFd = -1;
  std::string pending;
};

namespace plat {
namespace {

std::string gFileError;

// No line the game writes comes near this; a longer one is not read into
// memory, and its file counts as damaged.
constexpr size_t kMaxLine = 4096;
// A folder may hold any number of files; a listing keeps this many.
constexpr size_t kMaxListed = 4096;

TextStream* FailWith(const std::string& why) {
  SetFileError(why);
  return nullptr;
}

TextStream* FailWithErrno(int error) { return FailWith(strerror(error)); }

// The file a write must replace: the end of a chain of links, so that a
// link the player made to keep the file elsewhere stays a link.
bool FollowLinks(const std::string& path, std::string* target) {
  std::string at = path;
  for (int hops = 0; hops < 40; ++hops) {
    char buf[PATH_MAX];
    const ssize_t n = readlink(at.c_str(), buf, sizeof buf - 1);
    if (n < 0) {
      *target = at;
      return true;
    }
    buf[n] = 0;
    std::string next(buf);
    const size_t slash = at.rfind('/');
    if (next[0] != '/' && slash != std::string::npos) next = at.substr(0, slash + 1) + next;
    at = next;
  }
  return false;  // a loop of links
}

// Opens the target itself for a write in place, creating it if need be.
TextStream* OpenInPlace(const std::string& target, mode_t mode) {
  const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) return FailWithErrno(errno);
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return FailWith("not a regular file");
  }
  auto* s = new TextStream;
  s->writing = true;
  s->target = target;
  s->inPlaceFd = fd;
  return s;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool CloseInPlace(TextStream* s) {
  bool ok = !s->failed && WriteAll(s->inPlaceFd, s->pending);
  ok = ok && ftruncate(s->inPlaceFd, static_cast<off_t>(s->pending.size())) == 0;
  ok = ok && fsync(s->inPlaceFd) == 0;
  if (!ok) SetFileError(strerror(s->failed ? s->error : errno));
  ok = close(s->inPlaceFd) == 0 && ok;
  return ok;
}

}  // namespace

void SetFileError(const std::string& why) { gFileError = why; }

}  // namespace plat

std::string LastFileError() { return plat::gFileError; }

TextStream* OpenRead(const std::string& path) {
  // Not blocking: a pipe by that name must not wait for a writer forever.
  const int fd = open(plat::ResolvePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    plat::SetFileError(errno == ENOENT ? "" : strerror(errno));
    return nullptr;
  }
  struct stat st;
  FILE* f = nullptr;
  const bool known = fstat(fd, &st) == 0;
  if (known && S_ISREG(st.st_mode)) f = fdopen(fd, "rb");
  if (!f) {
    plat::SetFileError(!known                  ? strerror(errno)
                       : S_ISDIR(st.st_mode)   ? strerror(EISDIR)
                       : S_ISREG(st.st_mode)   ? strerror(errno)
                                               : "not a regular file");
    close(fd);
    return nullptr;
  }
  auto* s = new TextStream;
  s->file = f;
  return s;
}

TextStream* OpenWrite(const std::string& path) {
  if (!plat::MakeFolderFor(path)) return plat::FailWithErrno(errno);
  std::string target;
  if (!plat::FollowLinks(plat::ResolvePath(path), &target)) return plat::FailWithErrno(ELOOP);

  mode_t mode = 0644;
  struct stat st;
  const bool exists = stat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return plat::FailWithErrno(errno);
  if (exists) {
    if (S_ISDIR(st.st_mode)) return plat::FailWithErrno(EISDIR);
    if (!S_ISREG(st.st_mode)) return plat::FailWith("not a regular file");
    // A file without any write permission was made read-only on purpose:
    // honoured even where the system would let the write through.
    if (access(target.c_str(), W_OK) != 0) return plat::FailWithErrno(errno);
    if ((st.st_mode & 0222) == 0) return plat::FailWithErrno(EACCES);
    mode = st.st_mode & 07777;
  }

  std::vector<char> name(target.begin(), target.end());
  const char kSuffix[] = ".tmp.XXXXXX";
  name.insert(name.end(), kSuffix, kSuffix + sizeof kSuffix);  // with the NUL
  const int fd = mkstemp(name.data());
  if (fd < 0) return plat::OpenInPlace(target, mode);
  fchmod(fd, mode);
  // The owner too, where the system allows it (only an administrator's
  // save of someone else's file could change it).
  if (exists && (st.st_uid != geteuid() || st.st_gid != getegid()) &&
      fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Kept as the saver's: the content matters more than the owner.
  }
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    const int error = errno;
    close(fd);
    unlink(name.data());
    return plat::FailWithErrno(error);
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
  if (!stream || stream->writing || stream->damaged) return line;
  FILE* f = stream->file;
  for (;;) {
    int c = getc(f);
    if (c == EOF || c == '\n' || c == 0) break;
    if (c == '\r') continue;
    if (line.size() == plat::kMaxLine) {
      stream->damaged = true;
      line.clear();
      break;
    }
    line.push_back(static_cast<char>(c));
  }
  return line;
}

void WriteLine(TextStream* stream, const std::string& text) {
  if (!stream || !stream->writing) return;
  if (stream->inPlaceFd >= 0) {
    // The game's files are a few kilobytes; anything far beyond that is
    // refused rather than held.
    if (stream->pending.size() + text.size() > (1u << 24)) {
      stream->failed = true;
      stream->error = EFBIG;
      return;
    }
    stream->pending += text;
    stream->pending += "\r\n";
    return;
  }
  if (fwrite(text.data(), 1, text.size(), stream->file) != text.size() ||
      fwrite("\r\n", 1, 2, stream->file) != 2) {
    if (!stream->failed) stream->error = errno != 0 ? errno : EIO;
    stream->failed = true;
  }
}

bool Eof(TextStream* stream) {
  if (!stream || stream->writing || stream->damaged) return true;
  int c = getc(stream->file);
  if (c == EOF) return true;
  ungetc(c, stream->file);
  return false;
}

bool Close(TextStream* stream) {
  if (!stream) return false;
  bool ok = true;
  if (stream->inPlaceFd >= 0) {
    ok = plat::CloseInPlace(stream);
  } else if (stream->writing) {
    errno = 0;
    ok = !stream->failed && fflush(stream->file) == 0 && !ferror(stream->file);
    ok = ok && fsync(fileno(stream->file)) == 0;
    int error = stream->failed ? stream->error : ok ? 0 : (errno != 0 ? errno : EIO);
    if (fclose(stream->file) != 0 && ok) {
      ok = false;
      error = errno;
    }
    if (ok && rename(stream->temp.c_str(), stream->target.c_str()) != 0) {
      ok = false;
      error = errno;
    }
    if (!ok) {
      plat::SetFileError(strerror(error));
      unlink(stream->temp.c_str());
    }
  } else {
    fclose(stream->file);
    if (stream->damaged) {
      plat::SetFileError("a line is too long (the file is damaged)");
      ok = false;
    }
  }
  delete stream;
  return ok;
}

bool CreateEmptyFile(const std::string& path) {
  if (!plat::MakeFolderFor(path)) {
    plat::SetFileError(strerror(errno));
    return false;
  }
  struct stat st;
  if (stat(plat::ResolvePath(path).c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    plat::SetFileError(S_ISDIR(st.st_mode) ? strerror(EISDIR) : "not a regular file");
    return false;
  }
  // An existing file is left as it is: creating never destroys data. Not
  // blocking, so that a pipe made meanwhile fails instead of waiting.
  const int fd =
      open(plat::ResolvePath(path).c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) {
    plat::SetFileError(strerror(errno));
    return false;
  }
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (!regular) plat::SetFileError("not a regular file");
  return close(fd) == 0 && regular;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  TextStream* s = OpenWrite(path);
  if (!s) return false;
  if (fwrite(bytes.data(), 1, bytes.size(), s->file) != bytes.size()) s->failed = true;
  return Close(s);
}

int ReadWholeFile(const std::string& path, size_t limit, std::string* bytes) {
  bytes->clear();
  // Only a regular file is read, and never by a call that may block.
  const int fd = open(plat::ResolvePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 1;
  struct stat st;
  FILE* f = nullptr;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) f = fdopen(fd, "rb");
  if (!f) {
    close(fd);
    return 1;
  }
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

std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> names;
  const std::string resolved = plat::ResolvePath(folder);
  DIR* dir = opendir(resolved.c_str());
  if (!dir) return names;
  while (struct dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    // Hidden files and the leftovers of an interrupted save are not files
    // the player made.
    if (name.empty() || name[0] == '.') continue;
    const size_t tmp = name.rfind(".tmp.");
    if (tmp != std::string::npos && tmp + 11 == name.size()) continue;
    struct stat st;
    if (stat((resolved + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    names.push_back(name);
    if (names.size() >= plat::kMaxListed) break;
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string FileDate(const std::string& path) {
  struct stat st;
  if (stat(plat::ResolvePath(path).c_str(), &st) != 0) return "";
  if (plat::State().config.fakeClock) return "2000-01-01 00:00";
  struct tm local;
  char text[32];
  if (localtime_r(&st.st_mtime, &local) == nullptr ||
      strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) == 0)
    return "";
  return text;
}

bool RemoveFile(const std::string& path) {
  const std::string resolved = plat::ResolvePath(path);
  struct stat st;
  // Only files: a folder or a device by that name stays.
  if (lstat(resolved.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return unlink(resolved.c_str()) == 0;
}

std::vector<std::string> ListFolder(const std::string& path) { return ListFiles(path); }

bool MakeFolder(const std::string& path) {
  std::string folder = plat::ResolvePath(path);
  if (mkdir(folder.c_str(), 0755) == 0) return true;
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

