#include "platform/Font.h"

#include <cmath>
#include <map>
#include <tuple>
#include <stdexcept>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include "stb_truetype.h"

namespace detonix {

namespace embedded {
// Written at build time from the DejaVu font files.
extern const unsigned char DejaVuSans[];
extern const size_t DejaVuSansSize;
extern const unsigned char DejaVuSansBold[];
extern const size_t DejaVuSansBoldSize;
}  // namespace embedded

struct TFontFace::TImpl {
  stbtt_fontinfo Info{};
  int Ascent = 0;
  int Descent = 0;
  int LineGap = 0;
  // Read once: stb reads it from the font's data at every scaling, and a page of the data read in
  // play brings much of the font back into memory.
  float UnitsPerEm = 1;

  float Scale(int32_t size) const { return static_cast<float>(size) / UnitsPerEm; }
};

const TFontFace& TFontFace::Get(TFontStyle style) {
  static const TFontFace regular(embedded::DejaVuSans, embedded::DejaVuSansSize);
  static const TFontFace bold(embedded::DejaVuSansBold, embedded::DejaVuSansBoldSize);
  return style == fsBold ? bold : regular;
}

TFontFace::TFontFace(const uint8_t* data, size_t size) : FImpl(std::make_unique<TImpl>()) {
  if (data == nullptr || size < 12 || stbtt_InitFont(&FImpl->Info, data, stbtt_GetFontOffsetForIndex(data, 0)) == 0)
    throw std::runtime_error("Invalid font data");
  stbtt_GetFontVMetrics(&FImpl->Info, &FImpl->Ascent, &FImpl->Descent, &FImpl->LineGap);
  const unsigned char* head = FImpl->Info.data + FImpl->Info.head;
  FImpl->UnitsPerEm = static_cast<float>(head[18] << 8 | head[19]);
}

TFontFace::~TFontFace() = default;

int32_t TFontFace::Ascent(int32_t size) const {
  return static_cast<int32_t>(std::lround(static_cast<float>(FImpl->Ascent) * FImpl->Scale(size)));
}

int32_t TFontFace::LineHeight(int32_t size) const {
  return static_cast<int32_t>(std::lround(static_cast<float>(FImpl->Ascent - FImpl->Descent) * FImpl->Scale(size)));
}

float TFontFace::Kerning(int32_t size, char32_t left, char32_t right) const {
  // Kept like the glyphs: the search goes through the font's tables.
  thread_local std::map<std::tuple<const TImpl*, char32_t, char32_t>, int> pairs;
  const auto [it, added] = pairs.try_emplace({FImpl.get(), left, right});
  if (added) it->second = stbtt_GetCodepointKernAdvance(&FImpl->Info, static_cast<int>(left), static_cast<int>(right));
  return static_cast<float>(it->second) * FImpl->Scale(size);
}

const TGlyph& TFontFace::Glyph(int32_t size, char32_t ch) const {
  // One cache per thread, so no lock is needed (and none exists in every Windows thread model).
  thread_local std::map<std::tuple<const TImpl*, int32_t, char32_t>, TGlyph> glyphs;
  auto [it, added] = glyphs.try_emplace({FImpl.get(), size, ch});
  TGlyph& g = it->second;
  if (!added) return g;
  const float scale = FImpl->Scale(size);
  const int cp = static_cast<int>(ch);
  int advance = 0;
  int bearing = 0;
  stbtt_GetCodepointHMetrics(&FImpl->Info, cp, &advance, &bearing);
  g.Advance = static_cast<float>(advance) * scale;
  int w = 0;
  int h = 0;
  int xoff = 0;
  int yoff = 0;
  unsigned char* pixels = stbtt_GetCodepointBitmap(&FImpl->Info, scale, scale, cp, &w, &h, &xoff, &yoff);
  if (pixels != nullptr && w > 0 && h > 0) {
    g.Width = w;
    g.Height = h;
    g.Left = xoff;
    g.Top = yoff;
    g.Coverage = std::make_unique<uint8_t[]>(static_cast<size_t>(w) * static_cast<size_t>(h));
    std::copy(pixels, pixels + static_cast<ptrdiff_t>(w) * h, g.Coverage.get());
  }
  stbtt_FreeBitmap(pixels, nullptr);
  return g;
}

char32_t NextCodePoint(std::string_view text, size_t& pos) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t b0 = byte(pos++);
  if (b0 < 0x80) return b0;
  int extra = 0;
  char32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1;
    cp = b0 & 0x1Fu;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2;
    cp = b0 & 0x0Fu;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3;
    cp = b0 & 0x07u;
  } else {
    return U'\uFFFD';
  }
  for (int i = 0; i < extra; ++i) {
    if (pos >= text.size() || (byte(pos) & 0xC0) != 0x80) return U'\uFFFD';
    cp = cp << 6 | (byte(pos++) & 0x3Fu);
  }
  return cp;
}

}  // namespace detonix
