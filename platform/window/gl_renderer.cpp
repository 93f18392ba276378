#include "platform/window/gl_renderer.h"


#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include "platform/window/gl_api.h"
#include "platform/window/letterbox.h"

namespace plat {
namespace {

// Positions arrive in the frame's pixels, y down; the frame is stored the
// GL way (bottom row first) and flipped only when read back. Colour and
// mode are the same on every corner of a quad, so they are not
// interpolated across it.
const char* const kVertexShader = PARVANE_GLSL_VERSION R"(
layout(location = 0) in vec2 aPos;
layout(location = 1) in vec2 aUv;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec4 aMode;
uniform vec2 uFrame;
LINEAR out vec2 vUv;
flat out vec4 vColor;
flat out vec4 vMode;
void main() {
  vUv = aUv;
  vColor = aColor;
  vMode = aMode;
  gl_Position = vec4(aPos.x * 2.0 / uFrame.x - 1.0, 1.0 - aPos.y * 2.0 / uFrame.y, 0.0, 1.0);
}
)";

// One bilinear lookup, no branch: vMode is (layer, light, -, -), and the
// coordinate already points into the mipmap level the quad needs. The
// colour leaves premultiplied by its alpha, and the blend adds it to what
// is there times one minus the alpha it carries: the alpha itself for
// blending, zero for light.
const char* const kFragmentShader = PARVANE_GLSL_VERSION R"(
uniform sampler2DArray uAtlas;
LINEAR in vec2 vUv;
flat in vec4 vColor;
flat in vec4 vMode;
out vec4 oColor;
void main() {
  vec4 c = texture(uAtlas, vec3(vUv, vMode.x)) * vColor;
  oColor = vec4(c.rgb * c.a, c.a - c.a * vMode.y);
}
)";

// The vertex layout, read from `first` corners into the buffer.
void PointAtCorners(size_t first) {
  const GLsizei stride = sizeof(Corner);
  const size_t base = first * sizeof(Corner);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(base + offsetof(Corner, x)));
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(base + offsetof(Corner, u)));
  glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<void*>(base + offsetof(Corner, r)));
  glVertexAttribPointer(3, 4, GL_UNSIGNED_BYTE, GL_FALSE, stride,
                        reinterpret_cast<void*>(base + offsetof(Corner, layer)));
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

GLuint Link(std::string* error) {
  GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader, error);
  if (!vs) return 0;
  GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader, error);
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

bool GlRenderer::Init(int frameW, int frameH, std::string* error) {
  Shutdown();
  frameW_ = frameW;
  frameH_ = frameH;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  if (frameW > maxTextureSize_ || frameH > maxTextureSize_) {
    if (error) *error = "the frame is larger than the graphics driver allows";
    return false;
  }

  ready_ = true;  // from here on a failure must go through Shutdown
  program_ = Link(error);
  if (!program_) {
    Shutdown();
    return false;
  }
  glUseProgram(program_);
  glUniform2f(glGetUniformLocation(program_, "uFrame"), static_cast<float>(frameW),
              static_cast<float>(frameH));
  glUniform1i(glGetUniformLocation(program_, "uAtlas"), 0);

  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &vbo_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  for (GLuint a = 0; a < 4; ++a) glEnableVertexAttribArray(a);
  PointAtCorners(0);

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

  if (!textures_.Init(maxTextureSize_, error)) {
    Shutdown();
    return false;
  }

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
  // Colours arrive premultiplied (see the shader); the frame's alpha stays
  // 1: only colour is ever shown or saved.
  glBlendFuncSeparate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
  drawCalls_ = lastDrawCalls_ = 0;
  drawHoldsShown_ = false;
  CheckGlErrors("setting up");
  return true;
}

void GlRenderer::Shutdown() {
  pending_.clear();
  frameLog_.clear();
  shownLog_.clear();
  target_ = kNoFrame;
  shownInLog_ = false;
  drawableW_ = drawableH_ = 0;
  changed_.Forget();
  textures_.Shutdown(ready_);
  if (!ready_) return;
  glDeleteFramebuffers(1, &drawFbo_);
  glDeleteFramebuffers(1, &shownFbo_);
  glDeleteRenderbuffers(1, &drawRbo_);
  glDeleteRenderbuffers(1, &shownRbo_);
  glDeleteBuffers(1, &vbo_);
  glDeleteBuffers(1, &ibo_);
  glDeleteVertexArrays(1, &vao_);
  glDeleteProgram(program_);
  vao_ = vbo_ = ibo_ = program_ = 0;
  drawFbo_ = drawRbo_ = shownFbo_ = shownRbo_ = 0;
  ready_ = false;
}

int GlRenderer::CreateTexture(const TextureData& data) {
  return ready_ ? textures_.Create(data) : -1;
}

void GlRenderer::SetDrawableSize(int w, int h) {
  drawableW_ = w;
  drawableH_ = h;
}

void GlRenderer::SetBatching(bool on) {
  Flush();
  batching_ = on;
}

void GlRenderer::BindTarget() {
  glBindFramebuffer(GL_FRAMEBUFFER, target_ == kWindow ? 0 : drawFbo_);
  glViewport(0, 0, frameW_, frameH_);
}

void GlRenderer::Clear() {
  if (!ready_) return;
  pending_.clear();  // everything pending would be painted over anyway
  if (Fits()) {
    target_ = kWindow;
    frameLog_.clear();
    if (changed_.On()) return;  // cleared where it changes, at the end
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
  const GlTextures::Region* region = ready_ ? textures_.Find(texture) : nullptr;
  if (region == nullptr || quads == nullptr || count <= 0) {
    return;  // stale or unknown ids draw nothing
  }
  if (target_ == kNoFrame) BeginFrameOnShown();
  const GlTextures::Region& r = *region;  // stays put: no image is added while drawing
  const uint8_t light = blend == kBlendLight ? 1 : 0;
  for (int i = 0; i < count; ++i) {
    // The level a GPU's nearest-mipmap filter would pick, for the whole
    // quad: its pieces below share it.
    const float lod = QuadLod(quads[i], r.texelsW, r.texelsH);
    const int level =
        lod <= 0.5f ? 0
                    : std::min(AtlasPacker::kMipLevels, static_cast<int>(std::ceil(lod - 0.5f)));
    Quad quad = quads[i];
    if (r.croppable && CropQuad(quads[i], r.coverage, level, &quad) == 0) continue;
    if (!r.trimmable) {
      Append(r, light, level, quad);
      continue;
    }
    Quad pieces[kMaxPieces];
    const int n = TrimQuad(quad, r.coverage, r.texelsW, r.texelsH, pieces);
    for (int k = 0; k < n; ++k) Append(r, light, level, pieces[k]);
  }
}

void GlRenderer::Append(const GlTextures::Region& r, uint8_t light, int level, const Quad& quad) {
  CornerQuad q;
  const GlTextures::LevelRect at = textures_.At(r, level);
  for (int k = 0; k < 4; ++k) {
    const Vertex& in = quad.v[k];
    const float u = at.u0 + in.u * at.du, v = at.v0 + in.v * at.dv;
    q.c[k] = {in.x, in.y, u, v, in.r, in.g, in.b, in.a, r.layer, light, {0, 0}};
  }
  if (target_ == kWindow) {
    frameLog_.push_back(q);
    if (changed_.On()) return;  // drawn where it changes, at the end
  }
  Queue(&q, 1);
}

void GlRenderer::Queue(const CornerQuad* quads, size_t count) {
  if (!batching_) {
    for (size_t i = 0; i < count; ++i) {
      pending_.assign(quads + i, quads + i + 1);
      Flush();
    }
    return;
  }
  pending_.insert(pending_.end(), quads, quads + count);
  // A frame of any length is drawn in bounded pieces.
  if (pending_.size() >= 4 * static_cast<size_t>(kBatchQuads)) Flush();
}

void GlRenderer::Flush() {
  if (pending_.empty() || !ready_) return;
  textures_.Prepare();
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glBufferData(GL_ARRAY_BUFFER, pending_.size() * sizeof(CornerQuad), pending_.data(),
               GL_STREAM_DRAW);
  for (size_t first = 0; first < pending_.size(); first += kBatchQuads) {
    const size_t n = std::min(pending_.size() - first, static_cast<size_t>(kBatchQuads));
#ifdef __EMSCRIPTEN__
    // WebGL 2 has no base vertex: the attributes point at the batch instead.
    PointAtCorners(first * 4);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(n * 6), GL_UNSIGNED_SHORT, nullptr);
#else
    glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(n * 6), GL_UNSIGNED_SHORT, nullptr,
                             static_cast<GLint>(first * 4));
#endif
    ++drawCalls_;
  }
  pending_.clear();
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
  if (Fits() && shownLog_.size() < kLogQuads) {
    target_ = kWindow;
    frameLog_ = shownLog_;
    if (changed_.On()) return;
  } else {
    target_ = kOffscreen;  // shownFbo_ stays free to draw the log for screenshots
    drawHoldsShown_ = false;
  }
  BindTarget();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  Queue(shownLog_.data(), shownLog_.size());
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

void GlRenderer::SetKeepsBackBuffer(bool on) {
  if (on == changed_.On()) return;
  Flush();
  changed_.Set(on);
}

GlRenderer::Shown GlRenderer::EndFrame(int drawableW, int drawableH) {
  Shown shown;
  if (!ready_) return shown;
  // Nothing drawn since the last present: the window needs the shown frame
  // again, and only the log still has it.
  if (target_ == kNoFrame && shownInLog_) BeginFrameOnShown();
  Flush();
  SetDrawableSize(drawableW, drawableH);
  shown.swap = changed_.Swaps(drawableW, drawableH);
  if (target_ == kWindow && changed_.On() && Fits()) {
    DrawChanges(&shown);
  } else if (target_ == kWindow && !Fits()) {
    // The window changed size under the frame: draw it again offscreen and
    // scale it like any other.
    target_ = kOffscreen;
    drawHoldsShown_ = false;
    BindTarget();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    Queue(frameLog_.data(), frameLog_.size());
    Flush();
  }
  lastDrawCalls_ = drawCalls_;
  drawCalls_ = 0;

  if (target_ == kWindow) {
    std::swap(shownLog_, frameLog_);
    shownInLog_ = true;
    drawHoldsShown_ = false;
    target_ = kNoFrame;
    CheckGlErrors("presenting");
    return shown;
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
  // The back buffer now holds the scaled frame, not the log's.
  changed_.Scaled();
  shown.count = 1;
  shown.rects[0] = {0, 0, drawableW, drawableH};
  CheckGlErrors("presenting");
  return shown;
}

// The frame in frameLog_ goes into the window's back buffer: only where it
// changed is cleared and drawn again.
void GlRenderer::DrawChanges(Shown* shown) {
  changed_.Plan(frameLog_, shownLog_, frameW_, frameH_);
  const Damage& damage = changed_.Rects();
  BindTarget();
  glEnable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 1);
  for (int k = 0; k < damage.Count(); ++k) {
    const PixelRect gl = FlipRows(damage.Rect(k), frameH_);
    glScissor(gl.x, gl.y, gl.w, gl.h);
    // A clear drawn as a quad of our own would read the atlas for every
    // pixel; the driver's own clear is cheaper even limited to a rectangle.
    glClear(GL_COLOR_BUFFER_BIT);
    shown->rects[shown->count++] = gl;
  }
  glDisable(GL_SCISSOR_TEST);
  // Quads wholly outside the frame are left out here too.
  for (const CornerQuad& q : frameLog_) {
    if (changed_.Touches(q)) Queue(&q, 1);
  }
  Flush();
  changed_.Drawn(frameW_, frameH_, shown);
}

bool GlRenderer::ReadShownFrame(std::vector<uint8_t>* rgba) {
  if (!ready_ || rgba == nullptr) return false;
  GLuint source = drawHoldsShown_ ? drawFbo_ : shownFbo_;
  if (shownInLog_) {
    // Draw the shown frame again where no frame is under way. What the
    // frame under way has pending goes to its own target first.
    Flush();
    const int calls = drawCalls_;
    glBindFramebuffer(GL_FRAMEBUFFER, shownFbo_);
    glViewport(0, 0, frameW_, frameH_);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    Queue(shownLog_.data(), shownLog_.size());
    Flush();
    drawCalls_ = calls;
    source = shownFbo_;
  }
  const size_t row = static_cast<size_t>(frameW_) * 4;
  std::vector<uint8_t> raw(row * frameH_);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, frameW_, frameH_, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
  BindTarget();
  CheckGlErrors("reading the frame");
  rgba->resize(raw.size());
  for (int y = 0; y < frameH_; ++y) {
    std::memcpy(rgba->data() + y * row, raw.data() + (frameH_ - 1 - y) * row, row);
  }
  for (size_t i = 3; i < rgba->size(); i += 4) (*rgba)[i] = 255;
  return true;
}

}  // namespace plat
