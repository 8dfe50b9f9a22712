#include "media/CountingSoundOutput.h"

namespace detonix {

void TCountingSoundOutput::PlayWaveAsync(std::span<const uint8_t> wave) {
  ++FPlays;
  FLastWave = wave;
}

void TCountingSoundOutput::StartWorker(std::function<void()> body) {
  ++FWorkers;
  body();
}

}  // namespace detonix
