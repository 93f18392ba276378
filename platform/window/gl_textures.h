// Where the window's images live on the graphics side. Every image sits in
// one texture array (see atlas.h), so a frame samples one texture whatever
// its images.
//
// The array that is sampled holds each layer's mipmaps side by side in one
// level (see FlatMipLayout) and every quad reads the one mipmap level that
// its size on screen calls for, bilinearly: a software rasteriser would
// otherwise work out a level for every pixel and fetch from two, which
// costs it more than drawing the quad does. The mipmaps are made by the
// driver in a second array that is never sampled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/window/atlas.h"
#include "platform/window/quad_trim.h"

namespace plat {

class GlTextures {
 public:
  // Where a texture id's image sits in the array, as a map from the
  // image's [0, 1] coordinates.
  struct Region {
    bool live = false;
    uint8_t layer = 0;
    float u0 = 0, v0 = 0, du = 0, dv = 0;
    float texelsW = 0, texelsH = 0;  // the image's size in the array
    bool trimmable = false;          // some cell of the image is empty
    bool croppable = false;          // its edges are clear at some level
    Coverage coverage;
  };
  // Where a region's [0, 1] coordinates land in the sampled array at one
  // mipmap level.
  struct LevelRect {
    float u0, du, v0, dv;
  };

  GlTextures();
  GlTextures(const GlTextures&) = delete;
  GlTextures& operator=(const GlTextures&) = delete;

  // With the context current; images may be no larger than maxSize. Leaves
  // texture unit 1 active with the array that makes the mipmaps bound, and
  // unit 0 for the one that is sampled.
  bool Init(int maxSize, std::string* error);
  // Forgets every image; deletes the textures when glLive. Ids made before
  // never become valid again.
  void Shutdown(bool glLive);

  int Create(const TextureData& data);
  const Region* Find(int id) const;
  LevelRect At(const Region& r, int level) const {
    return {levelU0_[level] + r.u0 * levelDu_[level], r.du * levelDu_[level],
            levelV0_[level] + r.v0 * levelDv_[level], r.dv * levelDv_[level]};
  }
  // Before drawing: brings the sampled array up to date with the images
  // that came in.
  void Prepare();
  int Layers() const { return packer_.Layers(); }

 private:
  static constexpr int kLayerSize = 2048;

  int AddImage(const uint8_t* rgba, int w, int h);
  bool EnsureLayers(int layers);
  void RefreshFlat();

  int maxSize_ = 0;
  // atlas_ takes the images and makes their mipmaps (texture unit 1);
  // flat_ holds the same, laid out flat, and is what the shader samples
  // (unit 0).
  unsigned atlas_ = 0, flat_ = 0;
  int atlasLayers_ = 0;  // layers the arrays have room for
  int flatLayers_ = 0;
  bool mipsStale_ = false;       // images came in since the mipmaps were made
  std::vector<bool> flatStale_;  // per layer: flat_ lags behind atlas_
  // Per mipmap level: the flat layer's coordinate of a layer coordinate of
  // 0, and how far one of 1 moves it (u then v).
  float levelU0_[AtlasPacker::kMipLevels + 1] = {}, levelDu_[AtlasPacker::kMipLevels + 1] = {};
  float levelV0_[AtlasPacker::kMipLevels + 1] = {}, levelDv_[AtlasPacker::kMipLevels + 1] = {};
  AtlasPacker packer_;
  // Texture id k (k >= firstId_) is regions_[k - firstId_]; id 0 is
  // white_. Ids keep counting up across displays so a stale id never
  // aliases.
  std::vector<Region> regions_;
  Region white_;
  int firstId_ = 1;
};

// Reports the GL errors met since the last call, saying where.
void CheckGlErrors(const char* where);

}  // namespace plat
