// Build-time helper, compiled for the build machine: writes the icon and the explosion wave that
// detonix.rc embeds.  Usage: detonix-win-assets ICON.ico WAVE.wav
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "media/Pictures.h"

namespace detonix::embedded {
extern const unsigned char ExplosionWav[];
extern const std::size_t ExplosionWavSize;
}  // namespace detonix::embedded

namespace {

using detonix::TBitmap;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFFu);
  Put16(out, v >> 16);
}

// The picture shrunk to SIZE by averaging 8 x 8 samples per pixel, as 0xRRGGBB.
std::vector<uint32_t> Shrink(const TBitmap& picture, int size) {
  std::vector<uint32_t> out(static_cast<size_t>(size) * static_cast<size_t>(size));
  constexpr int Samples = 8;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      uint32_t r = 0, g = 0, b = 0;
      for (int sy = 0; sy < Samples; ++sy)
        for (int sx = 0; sx < Samples; ++sx) {
          const int px = (x * Samples + sx) * picture.Width() / (size * Samples);
          const int py = (y * Samples + sy) * picture.Height() / (size * Samples);
          const uint32_t c = picture.Pixel(px, py);
          r += (c >> 16) & 0xFF;
          g += (c >> 8) & 0xFF;
          b += c & 0xFF;
        }
      constexpr uint32_t n = Samples * Samples;
      out[static_cast<size_t>(y * size + x)] = (r / n) << 16 | (g / n) << 8 | (b / n);
    }
  return out;
}

// One icon image: a 32-bit DIB, bottom row first, and an all-opaque AND mask.
std::vector<uint8_t> IconImage(const std::vector<uint32_t>& pixels, int size) {
  std::vector<uint8_t> out;
  const auto s = static_cast<uint32_t>(size);
  const uint32_t maskRow = ((s + 31) / 32) * 4;
  Put32(out, 40);
  Put32(out, s);
  Put32(out, s * 2);  // colour rows and mask rows together
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);
  Put32(out, s * s * 4 + maskRow * s);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (int y = size - 1; y >= 0; --y)
    for (int x = 0; x < size; ++x) Put32(out, 0xFF000000u | pixels[static_cast<size_t>(y * size + x)]);
  out.insert(out.end(), static_cast<size_t>(maskRow) * s, 0);
  return out;
}

bool WriteFile(const char* path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: detonix-win-assets ICON.ico WAVE.wav\n");
    return 2;
  }
  const TBitmap scene = detonix::AboutPicture().Image;
  const int sizes[] = {48, 32, 16};
  std::vector<std::vector<uint8_t>> images;
  for (int size : sizes) images.push_back(IconImage(Shrink(scene, size), size));
  std::vector<uint8_t> icon;
  Put16(icon, 0);
  Put16(icon, 1);
  Put16(icon, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    icon.push_back(static_cast<uint8_t>(sizes[i]));
    icon.push_back(static_cast<uint8_t>(sizes[i]));
    icon.push_back(0);
    icon.push_back(0);
    Put16(icon, 1);
    Put16(icon, 32);
    Put32(icon, static_cast<uint32_t>(images[i].size()));
    Put32(icon, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) icon.insert(icon.end(), image.begin(), image.end());

  const std::vector<uint8_t> wave(detonix::embedded::ExplosionWav,
                                  detonix::embedded::ExplosionWav + detonix::embedded::ExplosionWavSize);
  if (!WriteFile(argv[1], icon) || !WriteFile(argv[2], wave)) {
    std::perror("detonix-win-assets");
    return 1;
  }
  return 0;
}
