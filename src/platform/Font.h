#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/GraphicsTypes.h"

namespace detonix {

enum class TFontStyle : uint8_t { fsRegular, fsBold };
using enum TFontStyle;

// What a canvas writes text with. The faces are DejaVu Sans and DejaVu Sans Bold, built into
// every program, so text looks the same everywhere.
struct TFont {
  TColor Color = clBlack;
  int32_t Size = 11;  // em height in pixels, like the platform's 8-point default at 96 dpi
  TFontStyle Style = fsRegular;
};

// One grey-level glyph: Coverage is Width x Height bytes, placed at the pen's (x + Left, baseline + Top).
struct TGlyph {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Left = 0;
  int32_t Top = 0;
  float Advance = 0;
  std::unique_ptr<uint8_t[]> Coverage;
};

// A TrueType face with a cache of rasterised glyphs per thread. The faces are shared by every
// canvas of the process and safe to use from several threads.
class TFontFace {
 public:
  static const TFontFace& Get(TFontStyle style);

  TFontFace(const uint8_t* data, size_t size);
  ~TFontFace();
  TFontFace(const TFontFace&) = delete;
  TFontFace& operator=(const TFontFace&) = delete;

  // Distance from the top of a line to the baseline, and the whole line height, in pixels.
  int32_t Ascent(int32_t size) const;
  int32_t LineHeight(int32_t size) const;
  float Kerning(int32_t size, char32_t left, char32_t right) const;
  // The glyph stays valid for the life of the calling thread.
  const TGlyph& Glyph(int32_t size, char32_t ch) const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// Decodes one UTF-8 character at text[pos] and moves pos past it; bad bytes give U+FFFD.
char32_t NextCodePoint(std::string_view text, size_t& pos);

}  // namespace detonix
