#pragma once

#include <algorithm>
#include <cstdint>

namespace detonix {

// A colour as 0x00RRGGBB: the same bits a 32-bit pixel holds in memory as blue, green, red, unused.
using TColor = uint32_t;

constexpr TColor RGBColor(uint32_t r, uint32_t g, uint32_t b) { return (r & 0xFFu) << 16 | (g & 0xFFu) << 8 | (b & 0xFFu); }
constexpr uint8_t RedOf(TColor c) { return static_cast<uint8_t>(c >> 16); }
constexpr uint8_t GreenOf(TColor c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t BlueOf(TColor c) { return static_cast<uint8_t>(c); }
// Only the colour bits count; the fourth byte of a pixel is free for an alpha value.
constexpr bool SameRGB(TColor a, TColor b) { return ((a ^ b) & 0xFFFFFFu) == 0; }

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0xFF0000;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0x0000FF;
constexpr TColor clYellow = 0xFFFF00;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
// The system colours of a dialog, as the classic desktop scheme has them.
constexpr TColor clWindow = 0xFFFFFF;
constexpr TColor clBtnFace = 0xD4D0C8;

// A pixel rectangle; Right and Bottom lie just outside it.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  static constexpr TRect FromSize(int32_t x, int32_t y, int32_t w, int32_t h) { return {x, y, x + w, y + h}; }
  constexpr int32_t Width() const { return Right - Left; }
  constexpr int32_t Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(int32_t x, int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  constexpr TRect Offset(int32_t dx, int32_t dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  // The common part; an empty rectangle when there is none.
  constexpr TRect Intersect(const TRect& o) const {
    TRect r{std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right), std::min(Bottom, o.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
  }
  // The smallest rectangle holding both; an empty one adds nothing.
  constexpr TRect Union(const TRect& o) const {
    if (IsEmpty()) return o;
    if (o.IsEmpty()) return *this;
    return {std::min(Left, o.Left), std::min(Top, o.Top), std::max(Right, o.Right), std::max(Bottom, o.Bottom)};
  }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

}  // namespace detonix
