#include "media/WaveResources.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace detonix {

namespace embedded {
// Synthesised at build time by assets/sound/Explosion.cmake.
extern const unsigned char ExplosionWav[];
extern const std::size_t ExplosionWavSize;
}  // namespace embedded

std::span<const uint8_t> ExplosionWave() { return {embedded::ExplosionWav, embedded::ExplosionWavSize}; }

std::span<const uint8_t> FindWaveResource(std::string_view name) {
  constexpr std::string_view explosion = "EXPLOSION";
  const bool match = std::equal(name.begin(), name.end(), explosion.begin(), explosion.end(), [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
  });
  return match ? ExplosionWave() : std::span<const uint8_t>{};
}

}  // namespace detonix
