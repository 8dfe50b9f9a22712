#include "native/SdlSoundOutput.h"

#include <cstdio>
#include <cstdlib>

#include "media/WaveResources.h"
#include "native/SdlLibrary.h"

namespace detonix::native {

TSdlWave::TSdlWave(std::span<const uint8_t> image) : FSdl(TSdlLibrary::Get()) {
  SDL_RWops* source = FSdl ? FSdl->RWFromConstMem(image.data(), static_cast<int>(image.size())) : nullptr;
  if (!source) return;
  // SDL closes the source (the 1), also on failure.
  if (!FSdl->LoadWAV_RW(source, 1, &FFormat, &FSamples, &FLength)) {
    FFormat = SDL_AudioSpec{};
    FSamples = nullptr;
    FLength = 0;
  }
}

TSdlWave::~TSdlWave() {
  if (FSamples) FSdl->FreeWAV(FSamples);
}

void TSdlSoundOutput::Open() {
  if (FOpened) return;
  FOpened = true;
  const TSdlWave explosion(ExplosionWave());
  if (!explosion.Loaded() || explosion.Format().format != AUDIO_S16LSB) return;
  FSdl = TSdlLibrary::Get();  // loaded by the wave already
  // Without a session bus SDL's D-Bus would start one of its own (X11's autolaunch), a daemon
  // that outlives us; the sound needs none.
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
  if (FSdl->InitSubSystem(SDL_INIT_AUDIO) != 0) return;
  FInitialised = true;
  SDL_AudioSpec want = explosion.Format();
  want.samples = 2048;
  // No format changes allowed: SDL converts to the device for us, and the queue takes the
  // wave's own samples.
  FDevice = FSdl->OpenAudioDevice(nullptr, 0, &want, &FFormat, 0);
  if (FDevice == 0) std::fprintf(stderr, "detonix: no sound: %s\n", FSdl->GetError());
}

TSdlSoundOutput::~TSdlSoundOutput() {
  if (FDevice != 0) FSdl->CloseAudioDevice(FDevice);
  if (FInitialised) FSdl->QuitSubSystem(SDL_INIT_AUDIO);
}

void TSdlSoundOutput::PlayWaveAsync(std::span<const uint8_t> image) {
  if (FDevice == 0) return;
  const TSdlWave wave(image);
  const SDL_AudioSpec& have = wave.Format();
  // A wave of another format than the device's stays silent, as an unplayable sound does.
  if (!wave.Loaded() || have.format != FFormat.format || have.channels != FFormat.channels || have.freq != FFormat.freq ||
      wave.Samples().empty())
    return;
  FSdl->ClearQueuedAudio(FDevice);
  FSdl->QueueAudio(FDevice, wave.Samples().data(), static_cast<Uint32>(wave.Samples().size()));
  FSdl->PauseAudioDevice(FDevice, 0);
}

}  // namespace detonix::native
