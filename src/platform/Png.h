#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Bitmap.h"

namespace detonix {

// PNG files through stb_image and stb_image_write. A loaded bitmap keeps the file's alpha in the
// fourth byte of each pixel (0xFF where the file has none). Failures throw std::runtime_error.
TBitmap LoadPng(const std::string& path);
TBitmap LoadPngFromMemory(std::span<const uint8_t> data);
// Writes the colours only; the fourth byte is not written unless WithAlpha.
void SavePng(const TBitmap& bitmap, const std::string& path, bool withAlpha = false);
// The same file's bytes in memory, for files that hold PNG images (the Windows icon).
std::vector<uint8_t> EncodePng(const TBitmap& bitmap, bool withAlpha = false);

}  // namespace detonix
