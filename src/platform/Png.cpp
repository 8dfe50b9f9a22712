#include "platform/Png.h"

#include <memory>
#include <stdexcept>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include "stb_image.h"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include "stb_image_write.h"

#include <fstream>
#include <iterator>

namespace detonix {

namespace {
struct TStbFree {
  void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

void AppendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  const auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}
}  // namespace

TBitmap LoadPngFromMemory(std::span<const uint8_t> data) {
  int w = 0;
  int h = 0;
  int channels = 0;
  if (data.size() > static_cast<size_t>(INT32_MAX)) throw std::runtime_error("PNG image too large");
  std::unique_ptr<stbi_uc, TStbFree> rgba(
      stbi_load_from_memory(data.data(), static_cast<int>(data.size()), &w, &h, &channels, 4));
  if (!rgba) throw std::runtime_error(std::string("Cannot read PNG image: ") + stbi_failure_reason());
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y) {
    const stbi_uc* src = rgba.get() + static_cast<ptrdiff_t>(y) * w * 4;
    uint32_t* dst = b.Row(y);
    for (int x = 0; x < w; ++x, src += 4)
      dst[x] = static_cast<uint32_t>(src[3]) << 24 | static_cast<uint32_t>(src[0]) << 16 |
               static_cast<uint32_t>(src[1]) << 8 | src[2];
  }
  return b;
}

TBitmap LoadPng(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open " + path);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return LoadPngFromMemory(bytes);
}

std::vector<uint8_t> EncodePng(const TBitmap& bitmap, bool withAlpha) {
  if (bitmap.Empty()) throw std::runtime_error("Cannot write an empty PNG image");
  const int channels = withAlpha ? 4 : 3;
  std::vector<uint8_t> pixels;
  pixels.reserve(static_cast<size_t>(bitmap.Width()) * bitmap.Height() * channels);
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    const uint32_t* row = bitmap.Row(y);
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      pixels.push_back(static_cast<uint8_t>(row[x] >> 16));
      pixels.push_back(static_cast<uint8_t>(row[x] >> 8));
      pixels.push_back(static_cast<uint8_t>(row[x]));
      if (withAlpha) pixels.push_back(static_cast<uint8_t>(row[x] >> 24));
    }
  }
  std::vector<uint8_t> file;
  if (stbi_write_png_to_func(AppendBytes, &file, bitmap.Width(), bitmap.Height(), channels, pixels.data(),
                             bitmap.Width() * channels) == 0)
    throw std::runtime_error("Cannot encode PNG image");
  return file;
}

void SavePng(const TBitmap& bitmap, const std::string& path, bool withAlpha) {
  const std::vector<uint8_t> file = EncodePng(bitmap, withAlpha);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) throw std::runtime_error("Cannot write " + path);
}

}  // namespace detonix
