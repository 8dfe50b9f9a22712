#include "shell/sdl/SdlSoundOutput.h"

#include <cstdio>

#include "media/WaveResources.h"

namespace detonix::sdl {

TSdlWave::TSdlWave(std::span<const uint8_t> image) {
  SDL_RWops* source = SDL_RWFromConstMem(image.data(), static_cast<int>(image.size()));
  if (!source) return;
  // SDL closes the source (the 1), also on failure.
  if (!SDL_LoadWAV_RW(source, 1, &FFormat, &FSamples, &FLength)) {
    FFormat = SDL_AudioSpec{};
    FSamples = nullptr;
    FLength = 0;
  }
}

TSdlWave::~TSdlWave() { SDL_FreeWAV(FSamples); }

void TSdlSoundOutput::Open() {
  if (FOpened) return;
  FOpened = true;
  const TSdlWave explosion(ExplosionWave());
  if (!explosion.Loaded() || explosion.Format().format != AUDIO_S16LSB) return;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
  FInitialised = true;
  SDL_AudioSpec want = explosion.Format();
  want.samples = 2048;
  // No format changes allowed: SDL converts to the device for us, and the queue takes the
  // wave's own samples.
  FDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &FFormat, 0);
  if (FDevice == 0) std::fprintf(stderr, "detonix: no sound: %s\n", SDL_GetError());
}

TSdlSoundOutput::~TSdlSoundOutput() {
  if (FDevice != 0) SDL_CloseAudioDevice(FDevice);
  if (FInitialised) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void TSdlSoundOutput::PlayWaveAsync(std::span<const uint8_t> image) {
  if (FDevice == 0) return;
  const TSdlWave wave(image);
  const SDL_AudioSpec& have = wave.Format();
  // A wave of another format than the device's stays silent, as an unplayable sound does.
  if (!wave.Loaded() || have.format != FFormat.format || have.channels != FFormat.channels || have.freq != FFormat.freq ||
      wave.Samples().empty())
    return;
  SDL_ClearQueuedAudio(FDevice);
  SDL_QueueAudio(FDevice, wave.Samples().data(), static_cast<Uint32>(wave.Samples().size()));
  SDL_PauseAudioDevice(FDevice, 0);
}

}  // namespace detonix::sdl
