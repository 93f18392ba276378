#include "platform/window/gl_renderer.h"

#include <epoxy/gl.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/window/letterbox.h"

namespace plat {
namespace {

std::atomic<int> gGlErrors{0};
std::atomic<int> gTexturesPerBatch{0};
std::atomic<int> gForcedTexturesPerBatch{0};

static_assert(sizeof(Vertex) == 20, "corners are uploaded as they are");
static_assert(sizeof(Quad) == 4 * sizeof(Vertex), "quads are uploaded as they are");

// Positions arrive in the frame's pixels, y down; the frame is stored the
// GL way (bottom row first) and flipped only when read back. Each corner
// also carries the texture unit its quad samples.
const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 aPos;
layout(location = 1) in vec2 aUv;
layout(location = 2) in vec4 aColor;
layout(location = 3) in uint aSlot;
uniform vec2 uFrame;
out vec2 vUv;
out vec4 vColor;
flat out uint vSlot;
void main() {
  vUv = aUv;
  vColor = aColor;
  vSlot = aSlot;
  gl_Position = vec4(aPos.x * 2.0 / uFrame.x - 1.0, 1.0 - aPos.y * 2.0 / uFrame.y, 0.0, 1.0);
}
)";

// GLSL 3.30 indexes a sampler array only with constants, hence the chain.
// Neighbouring pixels of one 2x2 block may belong to quads of different
// slots, so the derivatives that choose the mipmap level are taken before
// branching. A program samples as many units as its batches use: a
// software rasteriser runs every branch of the chain for every pixel.
std::string FragmentShader(int units) {
  std::string s =
      "#version 330 core\n"
      "in vec2 vUv;\n"
      "in vec4 vColor;\n"
      "flat in uint vSlot;\n"
      "uniform sampler2D uTex[" +
      std::to_string(units) +
      "];\n"
      "out vec4 oColor;\n"
      "void main() {\n";
  if (units == 1) return s + "  oColor = texture(uTex[0], vUv) * vColor;\n}\n";
  s += "  vec2 dx = dFdx(vUv);\n  vec2 dy = dFdy(vUv);\n  vec4 t;\n";
  for (int i = 0; i < units; ++i) {
    const std::string unit = std::to_string(i);
    const std::string test = "if (vSlot == " + unit + "u) ";
    s += std::string(i == 0 ? "  " : "  else ") + (i + 1 < units ? test : "") +
         "t = textureGrad(uTex[" + unit + "], vUv, dx, dy);\n";
  }
  return s + "  oColor = t * vColor;\n}\n";
}

GLuint Compile(GLenum kind, const char* source, std::string* error) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    if (error) *error = std::string("shader does not compile: ") + log;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint Link(int units, std::string* error) {
  GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader, error);
  if (!vs) return 0;
  const std::string fragment = FragmentShader(units);
  GLuint fs = Compile(GL_FRAGMENT_SHADER, fragment.c_str(), error);
  if (!fs) {
    glDeleteShader(vs);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    if (error) *error = std::string("shader program does not link: ") + log;
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

// A colour renderbuffer of the frame's size behind a framebuffer.
bool MakeTarget(int w, int h, GLuint* fbo, GLuint* rbo) {
  glGenRenderbuffers(1, rbo);
  glBindRenderbuffer(GL_RENDERBUFFER, *rbo);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
  glGenFramebuffers(1, fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, *fbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, *rbo);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  return complete;
}

}  // namespace

int GlErrorsSeen() { return gGlErrors.load(); }
int TexturesPerBatch() { return gTexturesPerBatch.load(); }
void ForceTexturesPerBatch(int units) { gForcedTexturesPerBatch = units; }

GlRenderer::GlRenderer()
    : batcher_(kBatchQuads, kUnits, [this](const QuadBatcher::Batch& batch) { DrawBatch(batch); }) {
}

bool GlRenderer::Init(int frameW, int frameH, std::string* error) {
  Shutdown();
  frameW_ = frameW;
  frameH_ = frameH;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  if (frameW > maxTextureSize_ || frameH > maxTextureSize_) {
    if (error) *error = "the frame is larger than the graphics driver allows";
    return false;
  }

  // A software rasteriser runs every branch of the lookup chain for every
  // pixel: there eight units cost a busy match frame about twice the CPU of
  // one unit per batch, while two cost a tenth more and still let a body's
  // balls and links share a call.
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const bool software = renderer != nullptr && (std::strstr(renderer, "llvmpipe") != nullptr ||
                                                std::strstr(renderer, "softpipe") != nullptr ||
                                                std::strstr(renderer, "Software") != nullptr);
  const int forced = gForcedTexturesPerBatch.load();
  const int perBatch = forced > 0 && forced <= kUnits ? forced : software ? kSoftwareUnits : kUnits;
  batcher_.SetMaxTextures(perBatch);
  gTexturesPerBatch = perBatch;

  ready_ = true;  // from here on a failure must go through Shutdown
  GLint units[kUnits];
  for (int i = 0; i < kUnits; ++i) units[i] = i;
  for (int k = 0; k < kPrograms; ++k) {
    programs_[k] = Link(1 << k, error);
    if (!programs_[k]) {
      Shutdown();
      return false;
    }
    glUseProgram(programs_[k]);
    glUniform2f(glGetUniformLocation(programs_[k], "uFrame"), static_cast<float>(frameW),
                static_cast<float>(frameH));
    glUniform1iv(glGetUniformLocation(programs_[k], "uTex"), 1 << k, units);
  }
  program_ = kPrograms - 1;

  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &vbo_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glBufferData(GL_ARRAY_BUFFER, kBatchQuads * sizeof(Quad), nullptr, GL_STREAM_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, x)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, u)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, r)));
  glGenBuffers(1, &slotVbo_);
  glBindBuffer(GL_ARRAY_BUFFER, slotVbo_);
  glBufferData(GL_ARRAY_BUFFER, kBatchQuads * 4, nullptr, GL_STREAM_DRAW);
  glVertexAttribIPointer(3, 1, GL_UNSIGNED_BYTE, 1, nullptr);
  // Off while batches use one texture: every corner then reads slot 0.
  glDisableVertexAttribArray(3);
  glVertexAttribI4ui(3, 0, 0, 0, 0);
  slotsOn_ = false;
  cornerSlots_.assign(kBatchQuads * 4, 0);

  // Corners come top-left, top-right, bottom-right, bottom-left: two
  // triangles sharing the diagonal 0-2.
  std::vector<GLushort> indices(kBatchQuads * 6);
  for (int q = 0; q < kBatchQuads; ++q) {
    const GLushort base = static_cast<GLushort>(q * 4);
    const GLushort corner[6] = {0, 1, 2, 0, 2, 3};
    for (int k = 0; k < 6; ++k) indices[q * 6 + k] = static_cast<GLushort>(base + corner[k]);
  }
  glGenBuffers(1, &ibo_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(GLushort), indices.data(),
               GL_STATIC_DRAW);

  const uint8_t white[4] = {255, 255, 255, 255};
  glGenTextures(1, &white_);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, white_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  for (unsigned& t : bound_) t = 0;
  bound_[0] = white_;
  activeUnit_ = 0;

  if (!MakeTarget(frameW, frameH, &shownFbo_, &shownRbo_) ||
      !MakeTarget(frameW, frameH, &drawFbo_, &drawRbo_)) {
    if (error) *error = "cannot create the offscreen frame";
    Shutdown();
    return false;
  }
  glViewport(0, 0, frameW, frameH);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_SCISSOR_TEST);
  glEnable(GL_BLEND);
  blend_ = -1;
  UseBlend(kBlendAlpha);
  drawCalls_ = lastDrawCalls_ = 0;
  drawHoldsShown_ = false;
  CheckErrors("setting up");
  return true;
}

void GlRenderer::Shutdown() {
  batcher_.Discard();
  frameLog_.Clear();
  shownLog_.Clear();
  target_ = kNoFrame;
  shownInLog_ = false;
  drawableW_ = drawableH_ = 0;
  firstId_ += static_cast<int>(textures_.size());
  if (!ready_) {
    textures_.clear();
    return;
  }
  for (unsigned t : textures_) {
    if (t) glDeleteTextures(1, &t);
  }
  textures_.clear();
  glDeleteTextures(1, &white_);
  glDeleteFramebuffers(1, &drawFbo_);
  glDeleteFramebuffers(1, &shownFbo_);
  glDeleteRenderbuffers(1, &drawRbo_);
  glDeleteRenderbuffers(1, &shownRbo_);
  glDeleteBuffers(1, &vbo_);
  glDeleteBuffers(1, &slotVbo_);
  glDeleteBuffers(1, &ibo_);
  glDeleteVertexArrays(1, &vao_);
  for (unsigned& p : programs_) {
    glDeleteProgram(p);  // 0 is ignored
    p = 0;
  }
  vao_ = vbo_ = slotVbo_ = ibo_ = white_ = 0;
  drawFbo_ = drawRbo_ = shownFbo_ = shownRbo_ = 0;
  for (unsigned& t : bound_) t = 0;
  program_ = -1;
  ready_ = false;
}

int GlRenderer::CreateTexture(const TextureData& data) {
  if (!ready_ || data.rgba == nullptr || data.width <= 0 || data.height <= 0 ||
      data.width > maxTextureSize_ || data.height > maxTextureSize_) {
    return -1;
  }
  CheckErrors("before a texture");
  GLuint t = 0;
  glGenTextures(1, &t);
  if (activeUnit_ != 0) {
    glActiveTexture(GL_TEXTURE0);
    activeUnit_ = 0;
  }
  glBindTexture(GL_TEXTURE_2D, t);
  bound_[0] = t;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, data.width, data.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               data.rgba);
  if (glGetError() != GL_NO_ERROR) {  // out of memory, most likely
    glDeleteTextures(1, &t);
    bound_[0] = 0;
    return -1;
  }
  GLint minFilter = data.filtered ? GL_LINEAR : GL_NEAREST;
  if (data.mipmapped) {
    glGenerateMipmap(GL_TEXTURE_2D);
    minFilter = data.filtered ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST;
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, data.filtered ? GL_LINEAR : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  textures_.push_back(t);
  return firstId_ + static_cast<int>(textures_.size()) - 1;
}

unsigned GlRenderer::TextureFor(int id) const {
  if (id == kWhiteTexture) return white_;
  const long index = static_cast<long>(id) - firstId_;
  if (index < 0 || index >= static_cast<long>(textures_.size())) return 0;
  return textures_[index];
}

void GlRenderer::SetDrawableSize(int w, int h) {
  drawableW_ = w;
  drawableH_ = h;
}

void GlRenderer::BindTarget() {
  glBindFramebuffer(GL_FRAMEBUFFER, target_ == kWindow ? 0 : drawFbo_);
  glViewport(0, 0, frameW_, frameH_);
}

void GlRenderer::Clear() {
  if (!ready_) return;
  batcher_.Discard();  // everything pending would be painted over anyway
  if (Fits()) {
    target_ = kWindow;
    frameLog_.Clear();
  } else {
    target_ = kOffscreen;
    if (drawHoldsShown_) {
      // The frame being replaced is the one shown: keep it by swapping
      // targets instead of copying it.
      std::swap(drawFbo_, shownFbo_);
      std::swap(drawRbo_, shownRbo_);
      drawHoldsShown_ = false;
    }
  }
  BindTarget();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
}

void GlRenderer::Draw(int texture, BlendMode blend, const Quad* quads, int count) {
  if (!ready_ || quads == nullptr || count <= 0 || TextureFor(texture) == 0) {
    return;  // stale or unknown ids draw nothing
  }
  if (target_ == kNoFrame) BeginFrameOnShown();
  if (target_ == kWindow) {
    frameLog_.commands.push_back({texture, blend, static_cast<int>(frameLog_.quads.size()), count});
    frameLog_.quads.insert(frameLog_.quads.end(), quads, quads + count);
  }
  batcher_.Add(texture, blend, quads, count);
}

// Drawing goes on over the shown frame without a clear first (the game may
// do that).
void GlRenderer::BeginFrameOnShown() {
  if (!shownInLog_) {
    target_ = kOffscreen;
    BindTarget();
    if (drawHoldsShown_) KeepShownFrame();
    return;
  }
  if (Fits() && shownLog_.quads.size() < kLogQuads) {
    target_ = kWindow;
    frameLog_ = shownLog_;
  } else {
    target_ = kOffscreen;  // shownFbo_ stays free to draw the log for screenshots
    drawHoldsShown_ = false;
  }
  BindTarget();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  Replay(shownLog_);
}

void GlRenderer::Replay(const FrameLog& log) {
  for (const Command& c : log.commands) {
    batcher_.Add(c.texture, c.blend, &log.quads[c.first], c.count);
  }
}

void GlRenderer::KeepShownFrame() {
  // Copy the shown frame aside for screenshots before drawing over it.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, drawFbo_);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, shownFbo_);
  glBlitFramebuffer(0, 0, frameW_, frameH_, 0, 0, frameW_, frameH_, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
  drawHoldsShown_ = false;
}

void GlRenderer::UseBlend(BlendMode blend) {
  if (blend_ == blend) return;
  blend_ = blend;
  // The frame's alpha stays 1: only colour is ever shown or saved.
  if (blend == kBlendLight) {
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ZERO, GL_ONE);
  } else {
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
  }
}

void GlRenderer::UseProgramFor(int textureCount) {
  int k = 0;
  while ((1 << k) < textureCount && k + 1 < kPrograms) ++k;
  if (k == program_) return;
  glUseProgram(programs_[k]);
  program_ = k;
}

void GlRenderer::DrawBatch(const QuadBatcher::Batch& batch) {
  for (int i = 0; i < batch.textureCount; ++i) {
    // Ids were checked as they came in and none is deleted while a frame
    // is drawn.
    const GLuint t = TextureFor(batch.textures[i]);
    if (t == bound_[i]) continue;
    if (activeUnit_ != i) {
      glActiveTexture(GL_TEXTURE0 + i);
      activeUnit_ = i;
    }
    glBindTexture(GL_TEXTURE_2D, t);
    bound_[i] = t;
  }
  UseProgramFor(batch.textureCount);
  UseBlend(batch.blend);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glBufferData(GL_ARRAY_BUFFER, batch.count * sizeof(Quad), batch.quads, GL_STREAM_DRAW);
  const bool slots = batch.textureCount > 1;
  if (slots != slotsOn_) {
    if (slots) {
      glEnableVertexAttribArray(3);
    } else {
      glDisableVertexAttribArray(3);
    }
    slotsOn_ = slots;
  }
  if (slots) {
    uint8_t* corner = cornerSlots_.data();
    for (int q = 0; q < batch.count; ++q, corner += 4) std::memset(corner, batch.slots[q], 4);
    glBindBuffer(GL_ARRAY_BUFFER, slotVbo_);
    glBufferData(GL_ARRAY_BUFFER, batch.count * 4, cornerSlots_.data(), GL_STREAM_DRAW);
  }
  glDrawElements(GL_TRIANGLES, batch.count * 6, GL_UNSIGNED_SHORT, nullptr);
  ++drawCalls_;
}

void GlRenderer::EndFrame(int drawableW, int drawableH) {
  if (!ready_) return;
  // Nothing drawn since the last present: the window needs the shown frame
  // again, and only the log still has it.
  if (target_ == kNoFrame && shownInLog_) BeginFrameOnShown();
  batcher_.Flush();
  SetDrawableSize(drawableW, drawableH);
  if (target_ == kWindow && !Fits()) {
    // The window changed size under the frame: draw it again offscreen and
    // scale it like any other.
    target_ = kOffscreen;
    drawHoldsShown_ = false;
    BindTarget();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    Replay(frameLog_);
    batcher_.Flush();
  }
  lastDrawCalls_ = drawCalls_;
  drawCalls_ = 0;

  if (target_ == kWindow) {
    std::swap(shownLog_, frameLog_);
    shownInLog_ = true;
    drawHoldsShown_ = false;
    target_ = kNoFrame;
    CheckErrors("presenting");
    return;
  }

  // Screenshots read this frame until the next one starts (see Clear).
  shownInLog_ = false;
  drawHoldsShown_ = true;
  target_ = kNoFrame;

  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  // Some drivers (Mesa's software ones) notice a resized window only when
  // the viewport is set; without this a full-screen window keeps the size
  // it was created with and the frame lands in its corner.
  glViewport(0, 0, drawableW, drawableH);
  const PixelRect fit = FitFrame(frameW_, frameH_, drawableW, drawableH);
  if (fit.w != drawableW || fit.h != drawableH) {  // black bars
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  if (fit.w > 0 && fit.h > 0) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, drawFbo_);
    // Whole-number scales (1:1, or 2:1 on high-DPI screens) stay sharp.
    const bool exact = fit.w % frameW_ == 0 && fit.h % frameH_ == 0;
    const int bottom = drawableH - fit.y - fit.h;  // GL counts rows from the bottom
    glBlitFramebuffer(0, 0, frameW_, frameH_, fit.x, bottom, fit.x + fit.w, bottom + fit.h,
                      GL_COLOR_BUFFER_BIT, exact ? GL_NEAREST : GL_LINEAR);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
  glViewport(0, 0, frameW_, frameH_);
  CheckErrors("presenting");
}

bool GlRenderer::ReadShownFrame(std::vector<uint8_t>* rgba) {
  if (!ready_ || rgba == nullptr) return false;
  GLuint source = drawHoldsShown_ ? drawFbo_ : shownFbo_;
  if (shownInLog_) {
    // Draw the shown frame again where no frame is under way. What the
    // frame under way has pending goes to its own target first.
    batcher_.Flush();
    const int calls = drawCalls_;
    glBindFramebuffer(GL_FRAMEBUFFER, shownFbo_);
    glViewport(0, 0, frameW_, frameH_);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    Replay(shownLog_);
    batcher_.Flush();
    drawCalls_ = calls;
    source = shownFbo_;
  }
  const size_t row = static_cast<size_t>(frameW_) * 4;
  std::vector<uint8_t> raw(row * frameH_);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, frameW_, frameH_, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
  BindTarget();
  CheckErrors("reading the frame");
  rgba->resize(raw.size());
  for (int y = 0; y < frameH_; ++y) {
    std::memcpy(rgba->data() + y * row, raw.data() + (frameH_ - 1 - y) * row, row);
  }
  for (size_t i = 3; i < rgba->size(); i += 4) (*rgba)[i] = 255;
  return true;
}

void GlRenderer::CheckErrors(const char* where) const {
  for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
    if (gGlErrors.fetch_add(1) < 10) std::fprintf(stderr, "OpenGL error 0x%04x %s\n", e, where);
  }
}

}  // namespace plat
