#include "shell/sdl/WaveData.h"

#include <cstring>

namespace detonix::sdl {

namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
bool Is(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

}  // namespace

std::optional<TWaveData> ParseWave(std::span<const uint8_t> image) {
  if (image.size() < 12 || !Is(image.data(), "RIFF") || !Is(image.data() + 8, "WAVE")) return std::nullopt;
  TWaveData wave;
  bool haveFormat = false;
  bool haveData = false;
  size_t at = 12;
  while (image.size() - at >= 8) {
    const uint8_t* chunk = image.data() + at;
    const size_t size = Le32(chunk + 4);
    const size_t body = at + 8;
    const size_t available = image.size() - body;
    if (Is(chunk, "fmt ")) {
      if (size < 16 || size > available) return std::nullopt;
      wave.FormatTag = Le16(chunk + 8);
      wave.Channels = Le16(chunk + 10);
      wave.SamplesPerSec = Le32(chunk + 12);
      wave.BlockAlign = Le16(chunk + 20);
      wave.BitsPerSample = Le16(chunk + 22);
      haveFormat = true;
    } else if (Is(chunk, "data")) {
      wave.Samples = image.subspan(body, size < available ? size : available);
      haveData = true;
    }
    if (size >= available) break;
    at = body + size + (size & 1);  // chunks are padded to an even length
  }
  if (!haveFormat || !haveData || wave.BlockAlign == 0 || wave.Channels == 0) return std::nullopt;
  wave.Samples = wave.Samples.first(wave.Samples.size() - wave.Samples.size() % wave.BlockAlign);
  return wave;
}

}  // namespace detonix::sdl
