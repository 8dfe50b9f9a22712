#pragma once

#include <SDL.h>

namespace detonix::native {

// The few SDL functions the sound uses, looked up in SDL loaded on first use: a run without sound
// never loads SDL, nor the audio, X11 and Wayland libraries that come with it.
struct TSdlLibrary {
  decltype(&SDL_GetError) GetError = nullptr;
  decltype(&SDL_RWFromConstMem) RWFromConstMem = nullptr;
  decltype(&SDL_LoadWAV_RW) LoadWAV_RW = nullptr;
  decltype(&SDL_FreeWAV) FreeWAV = nullptr;
  decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
  decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
  decltype(&SDL_OpenAudioDevice) OpenAudioDevice = nullptr;
  decltype(&SDL_CloseAudioDevice) CloseAudioDevice = nullptr;
  decltype(&SDL_PauseAudioDevice) PauseAudioDevice = nullptr;
  decltype(&SDL_QueueAudio) QueueAudio = nullptr;
  decltype(&SDL_ClearQueuedAudio) ClearQueuedAudio = nullptr;

  // Nothing when SDL cannot be loaded (said once on standard error).
  static const TSdlLibrary* Get();
};

}  // namespace detonix::native
