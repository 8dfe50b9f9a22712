#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace detonix {

// The platform's sound: the Windows shell plays with PlaySoundA, the Linux shell with SDL2 audio,
// tests and the headless tool only count.
class TSoundOutput {
 public:
  virtual ~TSoundOutput() = default;
  // How many wave output devices there are; 0 keeps every explosion silent.
  virtual int WaveOutDeviceCount() const = 0;
  // Starts playing a complete RIFF/WAVE image and returns at once, without a default sound when
  // it cannot be played. A new sound stops the one still playing. The image lives as long as
  // the program.
  virtual void PlayWaveAsync(std::span<const uint8_t> wave) = 0;
  // Opens the device, once the boards are shown (it may take a moment); silent until then.
  virtual void Open() {}
  // Runs the body of a sound worker. By default on its own short-lived thread, which ends by itself
  // (on the calling thread where the C++ library has no threads).
  virtual void StartWorker(std::function<void()> body);
};

}  // namespace detonix
