// The label font: a TrueType face rasterised once into a glyph atlas.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

#include "platform/internal.h"

using plat::State;

namespace {

constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
constexpr int kPadding = 8;  // keeps neighbours apart down the mip-map levels
constexpr int kAtlasWidth = 2048;

struct Bitmap {
  int w = 0, h = 0;
  std::vector<uint8_t> coverage;
  int x = 0, y = 0;  // place in the atlas
};

struct FreeTypeFace {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~FreeTypeFace() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

const Glyph* GlyphFor(const Font& font, unsigned char c) {
  const Glyph& g = font.glyphs[c];
  return g.present ? &g : nullptr;
}

}  // namespace

Font* LoadLabelFont(const std::string& path, int size, int /*style: always smooth*/) {
  plat::Platform& p = State();
  if (size <= 0 || size > 512 || !p.backend) return nullptr;
  FreeTypeFace ft;
  if (FT_Init_FreeType(&ft.library) != 0) return nullptr;
  if (FT_New_Face(ft.library, plat::ResolvePath(path).c_str(), 0, &ft.face) != 0) return nullptr;
  if (FT_Set_Pixel_Sizes(ft.face, 0, size) != 0) return nullptr;

  auto font = std::make_unique<Font>();
  font->ascender = ft.face->size->metrics.ascender / 64.0;
  font->lineHeight = ft.face->size->metrics.height / 64.0;
  std::vector<Bitmap> bitmaps(256);

  // Rasterise, then pack the glyphs on shelves of the atlas.
  int shelfX = kPadding, shelfY = kPadding, shelfH = 0;
  for (int c = kFirstChar; c <= kLastChar; ++c) {
    FT_UInt index = FT_Get_Char_Index(ft.face, c);
    if (index == 0 && c != ' ') continue;
    if (FT_Load_Glyph(ft.face, index, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot slot = ft.face->glyph;
    Glyph& g = font->glyphs[c];
    g.present = true;
    g.advance = static_cast<float>(slot->advance.x / 64.0);
    g.left = static_cast<float>(slot->bitmap_left);
    g.top = static_cast<float>(font->ascender - slot->bitmap_top);
    const FT_Bitmap& bm = slot->bitmap;
    Bitmap& b = bitmaps[c];
    b.w = static_cast<int>(bm.width);
    b.h = static_cast<int>(bm.rows);
    if (b.w <= 0 || b.h <= 0 || bm.pixel_mode != FT_PIXEL_MODE_GRAY || b.w > kAtlasWidth / 2) {
      b.w = b.h = 0;
      continue;
    }
    b.coverage.resize(static_cast<size_t>(b.w) * b.h);
    for (int y = 0; y < b.h; ++y) {
      const uint8_t* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
      std::copy(row, row + b.w, b.coverage.begin() + static_cast<size_t>(y) * b.w);
    }
    if (shelfX + b.w + kPadding > kAtlasWidth) {
      shelfX = kPadding;
      shelfY += shelfH + kPadding;
      shelfH = 0;
    }
    b.x = shelfX;
    b.y = shelfY;
    shelfX += b.w + kPadding;
    shelfH = std::max(shelfH, b.h);
  }
  int atlasHeight = 1;
  while (atlasHeight < shelfY + shelfH + kPadding) atlasHeight *= 2;

  std::vector<uint8_t> rgba(static_cast<size_t>(kAtlasWidth) * atlasHeight * 4, 0);
  for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = rgba[i + 1] = rgba[i + 2] = 255;
  for (int c = kFirstChar; c <= kLastChar; ++c) {
    Bitmap& b = bitmaps[c];
    Glyph& g = font->glyphs[c];
    g.w = b.w;
    g.h = b.h;
    if (b.w == 0) continue;
    for (int y = 0; y < b.h; ++y)
      for (int x = 0; x < b.w; ++x)
        rgba[(static_cast<size_t>(b.y + y) * kAtlasWidth + b.x + x) * 4 + 3] =
            b.coverage[static_cast<size_t>(y) * b.w + x];
    g.u0 = static_cast<float>(b.x) / kAtlasWidth;
    g.v0 = static_cast<float>(b.y) / atlasHeight;
    g.u1 = static_cast<float>(b.x + b.w) / kAtlasWidth;
    g.v1 = static_cast<float>(b.y + b.h) / atlasHeight;
  }
  const Glyph& space = font->glyphs[static_cast<unsigned char>(' ')];
  font->fallbackAdvance = space.present ? space.advance : static_cast<float>(size) / 3;

  plat::TextureData data;
  data.width = kAtlasWidth;
  data.height = atlasHeight;
  data.rgba = rgba.data();
  data.filtered = true;
  data.mipmapped = true;
  font->texture = p.backend->CreateTexture(data);
  if (font->texture < 0) return nullptr;
  p.fonts.push_back(std::move(font));
  return p.fonts.back().get();
}

void SetLabelFont(Font* font) { State().draw.font = font; }

double LabelWidth(const std::string& text) {
  const Font* font = State().draw.font;
  if (!font) return 0;
  double w = 0;
  for (unsigned char c : text) {
    const Glyph* g = GlyphFor(*font, c);
    w += g ? g->advance : font->fallbackAdvance;
  }
  return w;
}

double LabelHeight() {
  const Font* font = State().draw.font;
  return font ? font->lineHeight : 0;
}

void DrawLabel(const std::string& text, double x, double y) {
  plat::Platform& p = State();
  const plat::DrawState& d = p.draw;
  if (p.trace.on()) p.trace.Write(plat::StateLine("label", x, y, d).Text(text));
  const Font* font = d.font;
  if (!font || !p.backend || text.empty()) return;
  // Labels are short; a fixed buffer keeps the frame free of allocation.
  constexpr int kMaxQuads = 128;
  plat::Quad quads[kMaxQuads];
  int n = 0;
  plat::Placement place(x, y, d.sx, d.sy, d.angle);
  double pen = 0;
  for (unsigned char c : text) {
    const Glyph* g = GlyphFor(*font, c);
    if (!g) {
      pen += font->fallbackAdvance;
      continue;
    }
    if (g->w > 0) {
      plat::Quad& q = quads[n++];
      place.Box(pen + g->left, g->top, g->w, g->h, &q);
      plat::SetQuadTexture(g->u0, g->v0, g->u1, g->v1, &q);
      plat::SetQuadColour(d, &q);
      if (n == kMaxQuads) {
        p.backend->DrawQuads(font->texture,
                             d.blend == plat::kBlendLight ? plat::kBlendLight : plat::kBlendAlpha,
                             quads, n);
        n = 0;
      }
    }
    pen += g->advance;
  }
  if (n > 0)
    p.backend->DrawQuads(font->texture,
                         d.blend == plat::kBlendLight ? plat::kBlendLight : plat::kBlendAlpha,
                         quads, n);
}

void DrawLabelCentred(const std::string& text, double y, double width) {
  plat::DrawState& d = State().draw;
  const double sx = d.sx, sy = d.sy;
  const double natural = LabelWidth(text);
  const double drawn = natural * sx;
  if (drawn <= width || natural <= 0 || sx <= 0 || width <= 0) {
    DrawLabel(text, (width - drawn) / 2, y);
    return;
  }
  // Shrunk evenly, so the text keeps its shape, and drawn from the left edge.
  const double fit = width / natural;
  d.sx = fit;
  d.sy = sy * fit / sx;
  DrawLabel(text, 0, y);
  d.sx = sx;
  d.sy = sy;
}
