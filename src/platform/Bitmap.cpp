#include "platform/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace detonix {

TBitmap::TBitmap(int32_t width, int32_t height, TColor fill) {
  Allocate(width, height);
  Fill(fill);
}

TBitmap TBitmap::Wrap(void* bits, int32_t width, int32_t height, int32_t stride) {
  if (bits == nullptr || width < 0 || height < 0 || stride < width * 4)
    throw std::invalid_argument("Invalid bitmap memory");
  TBitmap b;
  b.FExternal = static_cast<uint8_t*>(bits);
  b.FBits = b.FExternal;
  b.FWidth = width;
  b.FHeight = height;
  b.FStride = stride;
  return b;
}

TBitmap::TBitmap(const TBitmap& other) {
  Allocate(other.FWidth, other.FHeight);
  if (Empty()) return;
  for (int32_t y = 0; y < FHeight; ++y) std::memcpy(Row(y), other.Row(y), static_cast<size_t>(FWidth) * 4);
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
  if (this != &other) {
    TBitmap copy(other);
    *this = std::move(copy);
  }
  return *this;
}

TBitmap::TBitmap(TBitmap&& other) noexcept { *this = std::move(other); }

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept {
  if (this == &other) return *this;
  FStore = std::move(other.FStore);
  FExternal = other.FExternal;
  FBits = FExternal != nullptr ? FExternal : FStore.empty() ? nullptr : reinterpret_cast<uint8_t*>(FStore.data());
  FWidth = other.FWidth;
  FHeight = other.FHeight;
  FStride = other.FStride;
  other.FStore.clear();
  other.FBits = other.FExternal = nullptr;
  other.FWidth = other.FHeight = other.FStride = 0;
  return *this;
}

void TBitmap::Allocate(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  FStore.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
  FExternal = nullptr;
  FBits = FStore.empty() ? nullptr : reinterpret_cast<uint8_t*>(FStore.data());
  FWidth = width;
  FHeight = height;
  FStride = width * 4;
}

TColor TBitmap::Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return clBlack;
  return Row(y)[x] & 0xFFFFFFu;
}

void TBitmap::SetPixel(int32_t x, int32_t y, TColor c) {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
  Row(y)[x] = OpaquePixel(c);
}

void TBitmap::Fill(TColor c) {
  if (Empty()) return;
  const uint32_t p = OpaquePixel(c);
  for (int32_t y = 0; y < FHeight; ++y) std::fill_n(Row(y), FWidth, p);
}

void TBitmap::SetSize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight && Owned()) return;
  TBitmap resized(width, height, clWhite);
  const int32_t w = std::min(width, FWidth);
  if (w > 0)
    for (int32_t y = 0; y < std::min(height, FHeight); ++y)
      std::memcpy(resized.Row(y), Row(y), static_cast<size_t>(w) * 4);
  *this = std::move(resized);
}

void TBitmap::DropAlpha() {
  for (int32_t y = 0; y < FHeight; ++y) {
    uint32_t* row = Row(y);
    for (int32_t x = 0; x < FWidth; ++x) row[x] |= 0xFF000000u;
  }
}

bool TBitmap::SamePixels(const TBitmap& other) const {
  if (FWidth != other.FWidth || FHeight != other.FHeight) return false;
  for (int32_t y = 0; y < FHeight; ++y)
    for (int32_t x = 0; x < FWidth; ++x)
      if (!SameRGB(Row(y)[x], other.Row(y)[x])) return false;
  return true;
}

}  // namespace detonix
