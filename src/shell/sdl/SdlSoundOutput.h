#pragma once

#include <SDL.h>

#include "media/SoundOutput.h"

namespace detonix::sdl {

// Explosions through SDL2 audio: one device, opened at start for the explosion's format, fed
// through SDL's queue. A new sound clears the queue, so a chain of explosions restarts the bang.
class TSdlSoundOutput final : public TSoundOutput {
 public:
  // Opens the default output device; without one the output stays silent (no devices).
  TSdlSoundOutput();
  ~TSdlSoundOutput() override;
  TSdlSoundOutput(const TSdlSoundOutput&) = delete;
  TSdlSoundOutput& operator=(const TSdlSoundOutput&) = delete;

  int WaveOutDeviceCount() const override { return FDevice != 0 ? 1 : 0; }
  void PlayWaveAsync(std::span<const uint8_t> wave) override;
  // Queueing only copies the samples into SDL's buffer and never waits for the device, so it
  // runs on the caller's thread: no worker can outlive the audio subsystem at exit.
  void StartWorker(std::function<void()> body) override { body(); }

 private:
  SDL_AudioDeviceID FDevice = 0;
  SDL_AudioSpec FSpec{};
  bool FInitialised = false;
};

}  // namespace detonix::sdl
