#include "match/textentry.h"

#include <cstring>

std::string keytochar(int code) {
  static const char kSigns[] = "!#$%^&*()-_+=[]{}<>,.?/\\|:;@'";
  bool ok = (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z') ||
            (code >= '0' && code <= '9') || code == ' ' ||
            (code > 0 && code < 127 && std::strchr(kSigns, code) != nullptr);
  if (!ok) return "nope";
  return std::string(1, static_cast<char>(code));
}
