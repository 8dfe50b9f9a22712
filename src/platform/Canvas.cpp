#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace detonix {

void TCanvas::Changed(const TRect& r) const {
  if (!OnChange) return;
  const TRect clipped = r.Intersect(ClipRect());
  if (!clipped.IsEmpty()) OnChange(clipped);
}

void TCanvas::Draw(int32_t x, int32_t y, const TBitmap& source) { CopyRect(x, y, source, source.Bounds()); }

void TCanvas::CopyRect(int32_t x, int32_t y, const TBitmap& source, const TRect& part) {
  const TRect from = part.Intersect(source.Bounds());
  if (from.IsEmpty()) return;
  // Where the source part lands, cut to the target; then back to the matching source pixels.
  const TRect to = from.Offset(x - part.Left, y - part.Top).Intersect(ClipRect());
  if (to.IsEmpty()) return;
  const int32_t sx = from.Left + (to.Left - (x - part.Left + from.Left));
  const int32_t sy = from.Top + (to.Top - (y - part.Top + from.Top));
  const size_t bytes = static_cast<size_t>(to.Width()) * 4;
  for (int32_t row = 0; row < to.Height(); ++row)
    std::memmove(FTarget->Row(to.Top + row) + to.Left, source.Row(sy + row) + sx, bytes);
  Changed(to);
}

void TCanvas::FillRect(const TRect& r) {
  const TRect to = r.Intersect(ClipRect());
  if (to.IsEmpty()) return;
  const uint32_t p = OpaquePixel(Brush.Color);
  for (int32_t y = to.Top; y < to.Bottom; ++y) std::fill_n(FTarget->Row(y) + to.Left, to.Width(), p);
  Changed(to);
}

void TCanvas::SetPixel(int32_t x, int32_t y, TColor c) {
  FTarget->SetPixel(x, y, c);
  Changed(TRect::FromSize(x, y, 1, 1));
}

int32_t TCanvas::TextWidth(std::string_view text) const {
  const TFontFace& face = TFontFace::Get(Font.Style);
  float pen = 0;
  char32_t previous = 0;
  for (size_t pos = 0; pos < text.size();) {
    const char32_t ch = NextCodePoint(text, pos);
    if (previous != 0) pen += face.Kerning(Font.Size, previous, ch);
    pen += face.Glyph(Font.Size, ch).Advance;
    previous = ch;
  }
  return static_cast<int32_t>(std::lround(pen));
}

int32_t TCanvas::TextHeight(std::string_view) const { return TFontFace::Get(Font.Style).LineHeight(Font.Size); }

void TCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
  const TFontFace& face = TFontFace::Get(Font.Style);
  const TRect box = TRect::FromSize(x, y, TextWidth(text), TextHeight(text));
  if (Brush.Style == bsSolid) {
    const TRect to = box.Intersect(ClipRect());
    const uint32_t p = OpaquePixel(Brush.Color);
    for (int32_t row = to.Top; row < to.Bottom; ++row) std::fill_n(FTarget->Row(row) + to.Left, to.Width(), p);
  }
  const int32_t baseline = y + face.Ascent(Font.Size);
  const uint32_t fr = RedOf(Font.Color);
  const uint32_t fg = GreenOf(Font.Color);
  const uint32_t fb = BlueOf(Font.Color);
  const TRect clip = ClipRect();
  TRect touched = Brush.Style == bsSolid ? box : TRect{};
  float pen = static_cast<float>(x);
  char32_t previous = 0;
  for (size_t pos = 0; pos < text.size();) {
    const char32_t ch = NextCodePoint(text, pos);
    if (previous != 0) pen += face.Kerning(Font.Size, previous, ch);
    previous = ch;
    const TGlyph& g = face.Glyph(Font.Size, ch);
    const int32_t gx = static_cast<int32_t>(std::lround(pen)) + g.Left;
    const int32_t gy = baseline + g.Top;
    pen += g.Advance;
    if (!g.Coverage) continue;
    const TRect area = TRect::FromSize(gx, gy, g.Width, g.Height).Intersect(clip);
    touched = touched.Union(area);
    for (int32_t py = area.Top; py < area.Bottom; ++py) {
      uint32_t* row = FTarget->Row(py);
      const uint8_t* cov = g.Coverage.get() + static_cast<ptrdiff_t>(py - gy) * g.Width - gx;
      for (int32_t px = area.Left; px < area.Right; ++px) {
        const uint32_t a = cov[px];
        if (a == 0) continue;
        const uint32_t d = row[px];
        const auto mix = [a](uint32_t fore, uint32_t back) { return (fore * a + back * (255 - a) + 127) / 255; };
        row[px] = 0xFF000000u | mix(fr, d >> 16 & 0xFF) << 16 | mix(fg, d >> 8 & 0xFF) << 8 | mix(fb, d & 0xFF);
      }
    }
  }
  Changed(touched);
}

}  // namespace detonix
