// Images: PNG files decoded to RGBA and handed to the backend as textures.
#include "platform/internal.h"
#include "platform/paths.h"
#include "platform/png_io.h"

using plat::State;

Image* LoadSprite(const std::string& path, int flags) {
  plat::Platform& p = State();
  if (flags == -1) flags = p.defaultImageFlags;
  plat::PngImage png;
  if (!plat::ReadPngRGBA(plat::ResolvePath(path), &png)) return nullptr;
  // Masked: black is the transparent colour of images without alpha.
  if ((flags & 1) && !png.hadAlpha) {
    for (size_t i = 0; i + 3 < png.rgba.size(); i += 4)
      if (png.rgba[i] == 0 && png.rgba[i + 1] == 0 && png.rgba[i + 2] == 0) png.rgba[i + 3] = 0;
  }
  plat::TextureData data;
  data.width = png.width;
  data.height = png.height;
  data.rgba = png.rgba.data();
  data.filtered = (flags & 2) != 0;
  data.mipmapped = (flags & 4) != 0;
  int texture = p.backend ? p.backend->CreateTexture(data) : -1;
  if (texture < 0) return nullptr;

  auto image = std::make_unique<Image>();
  image->width = png.width;
  image->height = png.height;
  image->texture = texture;
  image->name = plat::BaseName(path);
  p.images.push_back(std::move(image));
  return p.images.back().get();
}

void SetDefaultImageFlags(int flags) {
  if (flags != -1) State().defaultImageFlags = flags;
}

void CentreHandle(Image* image) {
  if (!image) return;
  image->handleX = image->width / 2.0;
  image->handleY = image->height / 2.0;
}

int SpriteWidth(Image* image) { return image ? image->width : 0; }
int SpriteHeight(Image* image) { return image ? image->height : 0; }
