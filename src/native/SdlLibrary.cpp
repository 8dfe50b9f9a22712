#include "native/SdlLibrary.h"

#include <dlfcn.h>

#include <cstdio>
#include <optional>

namespace detonix::native {

namespace {

template <typename F>
bool Find(void* library, F& function, const char* name) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

std::optional<TSdlLibrary> Load() {
  void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "detonix: cannot load SDL2 for the sound: %s\n", dlerror());
    return std::nullopt;
  }
  TSdlLibrary sdl;
  const bool found = Find(library, sdl.GetError, "SDL_GetError") && Find(library, sdl.RWFromConstMem, "SDL_RWFromConstMem") &&
                     Find(library, sdl.LoadWAV_RW, "SDL_LoadWAV_RW") && Find(library, sdl.FreeWAV, "SDL_FreeWAV") &&
                     Find(library, sdl.InitSubSystem, "SDL_InitSubSystem") &&
                     Find(library, sdl.QuitSubSystem, "SDL_QuitSubSystem") &&
                     Find(library, sdl.OpenAudioDevice, "SDL_OpenAudioDevice") &&
                     Find(library, sdl.CloseAudioDevice, "SDL_CloseAudioDevice") &&
                     Find(library, sdl.PauseAudioDevice, "SDL_PauseAudioDevice") &&
                     Find(library, sdl.QueueAudio, "SDL_QueueAudio") &&
                     Find(library, sdl.ClearQueuedAudio, "SDL_ClearQueuedAudio");
  if (!found) {
    std::fprintf(stderr, "detonix: the SDL2 library found lacks %s\n", dlerror());
    return std::nullopt;
  }
  // Kept for the rest of the process: its threads and handlers may outlive any one user.
  return sdl;
}

}  // namespace

const TSdlLibrary* TSdlLibrary::Get() {
  static const std::optional<TSdlLibrary> loaded = Load();
  return loaded ? &*loaded : nullptr;
}

}  // namespace detonix::native
