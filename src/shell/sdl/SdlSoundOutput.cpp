#include "shell/sdl/SdlSoundOutput.h"

#include <cstdio>

#include "media/WaveResources.h"
#include "shell/sdl/WaveData.h"

namespace detonix::sdl {

TSdlSoundOutput::TSdlSoundOutput() {
  const auto explosion = ParseWave(ExplosionWave());
  if (!explosion || explosion->FormatTag != 1 || explosion->BitsPerSample != 16) return;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
  FInitialised = true;
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(explosion->SamplesPerSec);
  want.format = AUDIO_S16LSB;
  want.channels = static_cast<Uint8>(explosion->Channels);
  want.samples = 2048;
  // No format changes allowed: SDL converts to the device for us, and the queue takes the
  // wave's own samples.
  FDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &FSpec, 0);
  if (FDevice == 0) std::fprintf(stderr, "detonix: no sound: %s\n", SDL_GetError());
}

TSdlSoundOutput::~TSdlSoundOutput() {
  if (FDevice != 0) SDL_CloseAudioDevice(FDevice);
  if (FInitialised) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void TSdlSoundOutput::PlayWaveAsync(std::span<const uint8_t> image) {
  if (FDevice == 0) return;
  const auto wave = ParseWave(image);
  // A wave of another format than the device's stays silent, as an unplayable sound does.
  if (!wave || wave->FormatTag != 1 || wave->BitsPerSample != 16 || wave->Channels != FSpec.channels ||
      static_cast<int>(wave->SamplesPerSec) != FSpec.freq || wave->Samples.empty())
    return;
  SDL_ClearQueuedAudio(FDevice);
  SDL_QueueAudio(FDevice, wave->Samples.data(), static_cast<Uint32>(wave->Samples.size()));
  SDL_PauseAudioDevice(FDevice, 0);
}

}  // namespace detonix::sdl
