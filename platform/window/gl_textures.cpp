#include "platform/window/gl_textures.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "platform/window/gl_api.h"

namespace plat {
namespace {

std::atomic<int> gGlErrors{0};

// The array's layers are bytes in a corner, and GL 3.3 promises 256.
constexpr int kMaxLayers = 256;

}  // namespace

int GlErrorsSeen() { return gGlErrors.load(); }

void CheckGlErrors(const char* where) {
  for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
    if (gGlErrors.fetch_add(1) < 10) std::fprintf(stderr, "OpenGL error 0x%04x %s\n", e, where);
  }
}

GlTextures::GlTextures() : packer_(kLayerSize) {}

bool GlTextures::Init(int maxSize, std::string* error) {
  maxSize_ = maxSize;
  packer_ = AtlasPacker(std::min(kLayerSize, maxSize));
  // Unit 1 keeps the array that makes the mipmaps bound; unit 0 the one
  // that is sampled (see RefreshFlat).
  glActiveTexture(GL_TEXTURE1);
  const FlatMipLayout layout(packer_.LayerSize());
  for (int level = 0; level <= AtlasPacker::kMipLevels; ++level) {
    const float size = static_cast<float>(packer_.LayerSize() >> level);
    levelU0_[level] = static_cast<float>(layout.X(level)) / layout.Width();
    levelDu_[level] = size / layout.Width();
    levelV0_[level] = static_cast<float>(layout.Y(level)) / layout.Height();
    levelDv_[level] = size / layout.Height();
  }
  const uint8_t white[4] = {255, 255, 255, 255};
  if (!EnsureLayers(1) || AddImage(white, 1, 1) < 0) {
    if (error) *error = "cannot create the texture array";
    return false;
  }
  white_ = regions_.back();
  regions_.pop_back();
  return true;
}

void GlTextures::Shutdown(bool glLive) {
  firstId_ += static_cast<int>(regions_.size());
  regions_.clear();
  white_ = Region();
  packer_ = AtlasPacker(kLayerSize);
  atlasLayers_ = flatLayers_ = 0;
  mipsStale_ = false;
  flatStale_.clear();
  if (glLive) {
    glDeleteTextures(1, &atlas_);  // 0 is ignored
    glDeleteTextures(1, &flat_);
  }
  atlas_ = flat_ = 0;
}

// Grows the array to hold `layers` layers, keeping what the old one held.
bool GlTextures::EnsureLayers(int layers) {
  if (layers <= atlasLayers_) return true;
  GLint driverMax = 0;
  glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &driverMax);
  const int limit = std::min(kMaxLayers, static_cast<int>(driverMax));
  if (layers > limit) return false;
  const int count = std::min(limit, std::max(layers, atlasLayers_ * 2));
  const int size = packer_.LayerSize();
  CheckGlErrors("before the texture array");
  GLuint grown = 0;
  glGenTextures(1, &grown);
  glBindTexture(GL_TEXTURE_2D_ARRAY, grown);
  for (int level = 0; level <= AtlasPacker::kMipLevels; ++level) {
    glTexImage3D(GL_TEXTURE_2D_ARRAY, level, GL_RGBA8, size >> level, size >> level, count, 0,
                 GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  }
  if (glGetError() != GL_NO_ERROR) {  // out of memory, most likely
    glDeleteTextures(1, &grown);
    glBindTexture(GL_TEXTURE_2D_ARRAY, atlas_);
    return false;
  }
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, AtlasPacker::kMipLevels);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  if (atlas_ != 0) {
    // Layer by layer through a framebuffer: copying between textures needs
    // more than GL 3.3.
    GLint readFbo = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFbo);
    GLuint fbo = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    for (int layer = 0; layer < atlasLayers_; ++layer) {
      glFramebufferTextureLayer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, atlas_, 0, layer);
      glCopyTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, layer, 0, 0, size, size);
    }
    glDeleteFramebuffers(1, &fbo);
    glDeleteTextures(1, &atlas_);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFbo));
    mipsStale_ = true;
  }
  atlas_ = grown;
  atlasLayers_ = count;
  flatStale_.assign(static_cast<size_t>(count), true);
  CheckGlErrors("growing the texture array");
  return true;
}

int GlTextures::AddImage(const uint8_t* rgba, int w, int h) {
  AtlasCell cell;
  if (!packer_.Place(w, h, &cell) || !EnsureLayers(cell.layer + 1)) return -1;
  int tw = 0, th = 0;
  const std::vector<uint8_t> texels = PaddedCellTexels(rgba, w, h, cell, &tw, &th);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, cell.x - AtlasPacker::kPadding,
                  cell.y - AtlasPacker::kPadding, cell.layer, tw, th, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                  texels.data());
  mipsStale_ = true;
  flatStale_[static_cast<size_t>(cell.layer)] = true;
  const float size = static_cast<float>(packer_.LayerSize());
  Region r;
  r.live = true;
  r.layer = static_cast<uint8_t>(cell.layer);
  r.u0 = cell.x / size;
  r.v0 = cell.y / size;
  r.du = cell.w / size;
  r.dv = cell.h / size;
  r.texelsW = static_cast<float>(cell.w);
  r.texelsH = static_cast<float>(cell.h);
  // A shrunk image's coverage would be that of another image.
  r.coverage = cell.w == w && cell.h == h ? CoverageOf(rgba, w, h) : FullCoverage();
  for (uint64_t cells : r.coverage.cells) r.trimmable = r.trimmable || cells != ~uint64_t{0};
  for (const float* box : r.coverage.box)
    r.croppable = r.croppable || box[0] > 0 || box[1] > 0 || box[2] < 1 || box[3] < 1;
  regions_.push_back(r);
  return firstId_ + static_cast<int>(regions_.size()) - 1;
}

int GlTextures::Create(const TextureData& data) {
  if (data.rgba == nullptr || data.width <= 0 || data.height <= 0 || data.width > maxSize_ ||
      data.height > maxSize_) {
    return -1;
  }
  CheckGlErrors("before a texture");
  return AddImage(data.rgba, data.width, data.height);
}

const GlTextures::Region* GlTextures::Find(int id) const {
  if (id == kWhiteTexture) return white_.live ? &white_ : nullptr;
  const long index = static_cast<long>(id) - firstId_;
  if (index < 0 || index >= static_cast<long>(regions_.size())) return nullptr;
  return &regions_[index];
}

void GlTextures::Prepare() {
  if (!mipsStale_) return;
  glGenerateMipmap(GL_TEXTURE_2D_ARRAY);
  RefreshFlat();
  mipsStale_ = false;
}

// Copies every level of the layers that changed from atlas_ into flat_,
// growing flat_ to as many layers first.
void GlTextures::RefreshFlat() {
  const int size = packer_.LayerSize();
  const FlatMipLayout layout(size);
  // Mesa's software driver was seen copying mipmaps it had not finished
  // making: waiting costs only when images come in.
  glFinish();
  glActiveTexture(GL_TEXTURE0);
  if (flatLayers_ != atlasLayers_) {
    glDeleteTextures(1, &flat_);
    glGenTextures(1, &flat_);
    glBindTexture(GL_TEXTURE_2D_ARRAY, flat_);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, layout.Width(), layout.Height(), atlasLayers_, 0,
                 GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    // One level, so no level is worked out per pixel.
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    flatLayers_ = atlasLayers_;
    flatStale_.assign(static_cast<size_t>(atlasLayers_), true);
  }
  GLint readFbo = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFbo);
  GLuint fbo = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  for (int layer = 0; layer < flatLayers_; ++layer) {
    if (!flatStale_[static_cast<size_t>(layer)]) continue;
    for (int level = 0; level <= AtlasPacker::kMipLevels; ++level) {
      glFramebufferTextureLayer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, atlas_, level, layer);
      glCopyTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, layout.X(level), layout.Y(level), layer, 0, 0,
                          size >> level, size >> level);
    }
    flatStale_[static_cast<size_t>(layer)] = false;
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFbo));
  glDeleteFramebuffers(1, &fbo);
  glActiveTexture(GL_TEXTURE1);
  CheckGlErrors("laying the mipmaps flat");
}

}  // namespace plat
