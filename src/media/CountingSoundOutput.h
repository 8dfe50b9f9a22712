#pragma once

#include <cstdint>
#include <mutex>
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

  int Workers() const;
  int Plays() const;
  std::span<const uint8_t> LastWave() const;

 private:
  const int FDeviceCount;
  mutable std::mutex FLock;
  int FWorkers = 0;
  int FPlays = 0;
  std::span<const uint8_t> FLastWave;
};

}  // namespace detonix
