// mediagen MEDIA_DIR ICON_DIR [images|icons|cheers|music|font]
// Writes every image and sound of the game into MEDIA_DIR and the desktop icons into
// ICON_DIR. A third argument limits the run to one group, handy while tuning.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/mediagen.h"

namespace fs = std::filesystem;

namespace {

// The one outside file: a free font from the Debian package fonts-dejavu-core,
// shipped with its licence beside it.
constexpr const char* kFontSource = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr const char* kFontLicence = "/usr/share/doc/fonts-dejavu-core/copyright";

bool CopyFont(const std::string& media) {
  std::error_code err;
  const auto opts = fs::copy_options::overwrite_existing;
  fs::copy_file(kFontSource, media + "/font.ttf", opts, err);
  if (!err) fs::copy_file(kFontLicence, media + "/font-LICENSE.txt", opts, err);
  if (err) {
    std::fprintf(stderr, "mediagen: cannot copy the font (install fonts-dejavu-core): %s\n",
                 err.message().c_str());
    return false;
  }
  std::printf("copied font.ttf and font-LICENSE.txt\n");
  return true;
}

bool Encode(const mediagen::Stereo& sound, const std::string& path) {
  if (!mediagen::WriteOgg(sound, 0.3, path)) {
    std::fprintf(stderr, "mediagen: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("wrote %s (%.2f s)\n", path.c_str(),
              static_cast<double>(sound.frames()) / mediagen::kSampleRate);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s MEDIA_DIR ICON_DIR [images|icons|cheers|music|font]\n",
                 argv[0]);
    return 2;
  }
  const std::string media = argv[1], icons = argv[2], only = argc == 4 ? argv[3] : "";
  auto want = [&](const char* group) { return only.empty() || only == group; };
  std::error_code err;
  fs::create_directories(media, err);
  fs::create_directories(icons, err);

  bool ok = true;
  if (want("images")) ok = mediagen::MakeImages(media) && ok;
  if (want("icons")) ok = mediagen::MakeIcons(icons) && ok;
  if (want("font")) ok = CopyFont(media) && ok;
  if (want("cheers")) ok = Encode(mediagen::MakeCheers(), media + "/cheers.ogg") && ok;
  if (want("music")) ok = Encode(mediagen::MakeMusic(), media + "/tutto.ogg") && ok;
  return ok ? 0 : 1;
}
