#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace detonix {

// The wave resources built into the program, found by name without regard to case ("explosion"
// finds "EXPLOSION"). Each is a complete RIFF/WAVE image; empty when there is none of that name.
std::span<const uint8_t> FindWaveResource(std::string_view name);

// The explosion: 16-bit stereo PCM at 44,100 Hz, one second, 176,456 bytes.
std::span<const uint8_t> ExplosionWave();

}  // namespace detonix
