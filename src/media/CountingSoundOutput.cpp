#include "media/CountingSoundOutput.h"

namespace detonix {

void TCountingSoundOutput::PlayWaveAsync(std::span<const uint8_t> wave) {
  std::lock_guard<std::mutex> guard(FLock);
  ++FPlays;
  FLastWave = wave;
}

void TCountingSoundOutput::StartWorker(std::function<void()> body) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    ++FWorkers;
  }
  body();
}

int TCountingSoundOutput::Workers() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FWorkers;
}

int TCountingSoundOutput::Plays() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FPlays;
}

std::span<const uint8_t> TCountingSoundOutput::LastWave() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FLastWave;
}

}  // namespace detonix
