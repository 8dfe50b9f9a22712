#pragma once

#include <cstdint>
#include <span>

#include <SDL.h>

#include "media/SoundOutput.h"

namespace detonix::native {

struct TSdlLibrary;

// A wave image as SDL reads it: its format and a copy of its samples, freed with this object.
class TSdlWave {
 public:
  explicit TSdlWave(std::span<const uint8_t> image);
  ~TSdlWave();
  TSdlWave(const TSdlWave&) = delete;
  TSdlWave& operator=(const TSdlWave&) = delete;

  // False when SDL could not read the image; its format and samples are then empty.
  bool Loaded() const { return FSamples != nullptr; }
  const SDL_AudioSpec& Format() const { return FFormat; }
  std::span<const uint8_t> Samples() const { return {FSamples, FLength}; }

 private:
  const TSdlLibrary* FSdl;
  SDL_AudioSpec FFormat{};
  Uint8* FSamples = nullptr;
  Uint32 FLength = 0;
};

// Explosions through SDL2 audio (SDL loaded only then): one device for the explosion's format, fed through SDL's
// queue. A new sound clears the queue, so a chain of explosions restarts the bang.
class TSdlSoundOutput final : public TSoundOutput {
 public:
  TSdlSoundOutput() = default;
  ~TSdlSoundOutput() override;
  // Opens the default output device, once; until then, and without a device, the output stays
  // silent (no devices). Starting the audio takes long enough to be left until the first picture
  // is shown: no fuse burns down before that.
  void Open() override;
  TSdlSoundOutput(const TSdlSoundOutput&) = delete;
  TSdlSoundOutput& operator=(const TSdlSoundOutput&) = delete;

  int WaveOutDeviceCount() const override { return FDevice != 0 ? 1 : 0; }
  void PlayWaveAsync(std::span<const uint8_t> wave) override;
  // Queueing only copies the samples into SDL's buffer and never waits for the device, so it
  // runs on the caller's thread: no worker can outlive the audio subsystem at exit.
  void StartWorker(std::function<void()> body) override { body(); }

 private:
  const TSdlLibrary* FSdl = nullptr;
  SDL_AudioDeviceID FDevice = 0;
  SDL_AudioSpec FFormat{};
  bool FInitialised = false;
  bool FOpened = false;
};

}  // namespace detonix::native
