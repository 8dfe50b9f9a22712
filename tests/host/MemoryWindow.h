#pragma once

#include <cstdint>
#include <vector>

#include "host/HostWindow.h"

namespace detonix {

// A window's worth of 32-bit pixels in memory, white, so that what the host paints black shows;
// it keeps what was presented.
struct TMemoryWindow final : THostWindow {
  TMemoryWindow(int width, int height) : Width(width), Height(height), Bits(static_cast<size_t>(width) * height, 0xFFFFFFFFu) {}
  void PixelSize(int& width, int& height) override {
    width = Width;
    height = Height;
  }
  TWindowPixels Pixels() override {
    ++PixelsGiven;
    return {Bits.data(), Width, Height, Width * 4};
  }
  void ReleasePixels() override {}
  void Present(const std::vector<TRect>& changed) override { Presented.insert(Presented.end(), changed.begin(), changed.end()); }
  bool AllBlack() const {
    for (uint32_t p : Bits)
      if ((p & 0xFFFFFFu) != 0) return false;
    return true;
  }
  int Width;
  int Height;
  std::vector<uint32_t> Bits;
  std::vector<TRect> Presented;
  int PixelsGiven = 0;
};

}  // namespace detonix
