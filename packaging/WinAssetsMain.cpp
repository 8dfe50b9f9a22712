// Build-time helper, compiled for the build machine: writes the icon and the explosion wave that
// detonix.rc embeds.  Usage: detonix-win-assets ICON.ico WAVE.wav
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <vector>

#include "media/Pictures.h"
#include "platform/Png.h"

namespace detonix::embedded {
extern const unsigned char ExplosionWav[];
extern const std::size_t ExplosionWavSize;
}  // namespace detonix::embedded

namespace {

using detonix::TBitmap;

// What Windows asks for from 100 % to 200 % (small icons, large icons, lists, tiles), each the
// badge drawn at that size, as the Linux package's icons are. The largest is kept as PNG, as
// icons have been since Vista; older systems skip it.
constexpr int IconSizes[] = {256, 64, 48, 40, 32, 24, 20, 16};
constexpr int PngSize = 256;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFFu);
  Put16(out, v >> 16);
}

// One icon image: a 32-bit DIB with its alpha, bottom row first, and the AND mask, set where the
// picture is transparent.
std::vector<uint8_t> IconImage(const TBitmap& picture) {
  std::vector<uint8_t> out;
  const int size = picture.Width();
  const auto s = static_cast<uint32_t>(size);
  const uint32_t maskRow = ((s + 31) / 32) * 4;
  std::vector<uint8_t> mask(static_cast<size_t>(maskRow) * s, 0);
  Put32(out, 40);
  Put32(out, s);
  Put32(out, s * 2);  // colour rows and mask rows together
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);
  Put32(out, s * s * 4 + maskRow * s);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (int y = size - 1; y >= 0; --y)
    for (int x = 0; x < size; ++x) {
      const uint32_t pixel = picture.Row(y)[x];
      Put32(out, pixel);
      if ((pixel >> 24) == 0) mask[static_cast<size_t>(size - 1 - y) * maskRow + x / 8] |= 0x80 >> (x % 8);
    }
  out.insert(out.end(), mask.begin(), mask.end());
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
  std::vector<uint8_t> icon;
  try {
    std::vector<std::vector<uint8_t>> images;
    for (int size : IconSizes)
      images.push_back(size == PngSize ? detonix::EncodePng(detonix::IconPicture(size), true) : IconImage(detonix::IconPicture(size)));
    Put16(icon, 0);
    Put16(icon, 1);
    Put16(icon, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
      icon.push_back(static_cast<uint8_t>(IconSizes[i]));  // 256 is written as 0
      icon.push_back(static_cast<uint8_t>(IconSizes[i]));
      icon.push_back(0);
      icon.push_back(0);
      Put16(icon, 1);
      Put16(icon, 32);
      Put32(icon, static_cast<uint32_t>(images[i].size()));
      Put32(icon, offset);
      offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) icon.insert(icon.end(), image.begin(), image.end());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "detonix-win-assets: %s\n", e.what());
    return 1;
  }

  const std::vector<uint8_t> wave(detonix::embedded::ExplosionWav,
                                  detonix::embedded::ExplosionWav + detonix::embedded::ExplosionWavSize);
  if (!WriteFile(argv[1], icon) || !WriteFile(argv[2], wave)) {
    std::perror("detonix-win-assets");
    return 1;
  }
  return 0;
}
