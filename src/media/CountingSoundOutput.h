#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "media/SoundOutput.h"

namespace detonix {

// A sound output that plays nothing and counts: the workers run at once on the caller's thread,
// so a headless game stays deterministic and a test can count right after the request.
class TCountingSoundOutput : public TSoundOutput {
 public:
  explicit TCountingSoundOutput(int deviceCount = 1) : FDeviceCount(deviceCount) {}

  int WaveOutDeviceCount() const override { return FDeviceCount; }
  void PlayWaveAsync(std::span<const uint8_t> wave) override;
  void StartWorker(std::function<void()> body) override;

  int Workers() const { return FWorkers; }
  int Plays() const { return FPlays; }
  std::span<const uint8_t> LastWave() const { return FLastWave; }

 private:
  const int FDeviceCount;
  std::atomic<int> FWorkers{0};
  std::atomic<int> FPlays{0};
  std::span<const uint8_t> FLastWave;
};

}  // namespace detonix
