#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "media/SoundOutput.h"

namespace detonix::win32 {

// A wave resource of type "WAVE" in the program's own module, found by name without regard to
// case; empty when there is none.
std::span<const uint8_t> FindModuleWave(const std::string& name);

// Sound through the system: devices counted by waveOutGetNumDevs, waves played from memory with
// PlaySoundA, workers on self-freeing threads of their own. Each step is written to the debugger
// output (OutputDebugStringA), so a test can follow a request.
class TWin32SoundOutput final : public TSoundOutput {
 public:
  int WaveOutDeviceCount() const override;
  void PlayWaveAsync(std::span<const uint8_t> wave) override;
  void StartWorker(std::function<void()> body) override;
};

}  // namespace detonix::win32
