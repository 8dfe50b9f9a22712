#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace detonix::sdl {

// The parts of a RIFF/WAVE image a sound device needs: the PCM format and the samples.
struct TWaveData {
  uint16_t FormatTag = 0;  // 1: integer PCM
  uint16_t Channels = 0;
  uint32_t SamplesPerSec = 0;
  uint16_t BitsPerSample = 0;
  uint16_t BlockAlign = 0;
  std::span<const uint8_t> Samples;  // inside the image, whole sample frames only
};

// Walks the image's chunks. Nothing when it is no RIFF/WAVE image, has no complete "fmt "
// chunk or no "data" chunk; a "data" chunk that claims more than the image holds is cut to what is there.
std::optional<TWaveData> ParseWave(std::span<const uint8_t> image);

}  // namespace detonix::sdl
