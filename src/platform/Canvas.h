#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/Bitmap.h"
#include "platform/Font.h"
#include "platform/GraphicsTypes.h"

namespace detonix {

enum class TBrushStyle : uint8_t { bsSolid, bsClear };
using enum TBrushStyle;

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

// Draws onto one bitmap, clipped to it. Every operation that changes pixels reports the
// changed rectangle through OnChange, so a paint surface can present only what changed.
class TCanvas {
 public:
  explicit TCanvas(TBitmap& target) : FTarget(&target) {}

  TBitmap& Bitmap() const { return *FTarget; }
  TRect ClipRect() const { return FTarget->Bounds(); }

  TFont Font;
  TBrush Brush;
  std::function<void(const TRect&)> OnChange;

  // Copies the whole source with its top-left corner at (x, y).
  void Draw(int32_t x, int32_t y, const TBitmap& source);
  // Copies the part Source of the source with its top-left corner at (x, y).
  void CopyRect(int32_t x, int32_t y, const TBitmap& source, const TRect& part);
  // Fills with the brush colour, whatever the brush style.
  void FillRect(const TRect& r);
  TColor Pixel(int32_t x, int32_t y) const { return FTarget->Pixel(x, y); }
  void SetPixel(int32_t x, int32_t y, TColor c);

  // Writes UTF-8 text with the top of its line at y. A solid brush fills the text's box first;
  // a clear brush leaves the background as it was.
  void TextOut(int32_t x, int32_t y, std::string_view text);
  int32_t TextWidth(std::string_view text) const;
  int32_t TextHeight(std::string_view text) const;

  // Reports R, clipped, to OnChange; for drawing done straight into the bitmap's rows.
  void Changed(const TRect& r) const;

 private:
  TBitmap* FTarget;
};

}  // namespace detonix
