#pragma once

#include <cstdint>
#include <vector>

#include "platform/GraphicsTypes.h"

namespace detonix {

// A 32-bit bitmap: rows of pixels stored as blue, green, red and a fourth byte, top row first,
// Stride bytes apart. This is the layout of a top-down Windows DIB section and of an SDL
// RGB888 surface, so a shell can wrap its window surface and draw into it directly.
// Drawing writes 0xFF into the fourth byte; only PNG loading gives it another meaning (alpha).
class TBitmap {
 public:
  TBitmap() = default;
  // A new bitmap is white, as a fresh platform bitmap is.
  TBitmap(int32_t width, int32_t height, TColor fill = clWhite);
  // Borrows pixels owned elsewhere; they must outlive this object. Copies of it own their pixels.
  static TBitmap Wrap(void* bits, int32_t width, int32_t height, int32_t stride);

  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  TBitmap(TBitmap&& other) noexcept;
  TBitmap& operator=(TBitmap&& other) noexcept;
  ~TBitmap() = default;

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  int32_t Stride() const { return FStride; }  // bytes from one row to the next
  bool Empty() const { return FWidth <= 0 || FHeight <= 0; }
  bool Owned() const { return FExternal == nullptr; }
  TRect Bounds() const { return {0, 0, FWidth, FHeight}; }

  uint8_t* Bits() { return FBits; }
  const uint8_t* Bits() const { return FBits; }
  uint32_t* Row(int32_t y) { return reinterpret_cast<uint32_t*>(FBits + static_cast<intptr_t>(y) * FStride); }
  const uint32_t* Row(int32_t y) const {
    return reinterpret_cast<const uint32_t*>(FBits + static_cast<intptr_t>(y) * FStride);
  }

  // Reads outside the bitmap give black; writes outside are ignored.
  TColor Pixel(int32_t x, int32_t y) const;
  void SetPixel(int32_t x, int32_t y, TColor c);
  void Fill(TColor c);
  // New size; the part both sizes share keeps its pixels, the rest is white. A borrowed bitmap
  // becomes an owned one. Sizes below 0 are taken as 0.
  void SetSize(int32_t width, int32_t height);
  // Sets the fourth byte of every pixel to 0xFF, as a 24-bit copy of the picture would read.
  void DropAlpha();

  bool SamePixels(const TBitmap& other) const;

 private:
  void Allocate(int32_t width, int32_t height);

  std::vector<uint32_t> FStore;
  uint8_t* FBits = nullptr;
  uint8_t* FExternal = nullptr;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  int32_t FStride = 0;
};

constexpr uint32_t OpaquePixel(TColor c) { return 0xFF000000u | (c & 0xFFFFFFu); }

}  // namespace detonix
