#include "shell/wayland/Libdecor.h"

#include <dlfcn.h>

#include <cstdio>
#include <optional>

namespace detonix::wayland {

namespace {

template <typename F>
bool Find(void* library, F& function, const char* name) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

std::optional<TLibdecor> Load() {
  void* library = dlopen("libdecor-0.so.0", RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "detonix: the compositor draws no title bar, and libdecor cannot be loaded: %s\n", dlerror());
    return std::nullopt;
  }
  TLibdecor d;
  const bool found = Find(library, d.New, "libdecor_new") && Find(library, d.Unref, "libdecor_unref") &&
                     Find(library, d.Dispatch, "libdecor_dispatch") && Find(library, d.Decorate, "libdecor_decorate") &&
                     Find(library, d.FrameUnref, "libdecor_frame_unref") &&
                     Find(library, d.SetTitle, "libdecor_frame_set_title") &&
                     Find(library, d.SetAppId, "libdecor_frame_set_app_id") &&
                     Find(library, d.SetMaxContentSize, "libdecor_frame_set_max_content_size") &&
                     Find(library, d.Map, "libdecor_frame_map") && Find(library, d.Commit, "libdecor_frame_commit") &&
                     Find(library, d.ContentSize, "libdecor_configuration_get_content_size") &&
                     Find(library, d.StateNew, "libdecor_state_new") && Find(library, d.StateFree, "libdecor_state_free");
  if (!found) {
    std::fprintf(stderr, "detonix: the libdecor library found lacks %s\n", dlerror());
    return std::nullopt;
  }
  // Kept for the rest of the process: its plugin's objects live as long as the window.
  return d;
}

}  // namespace

const TLibdecor* TLibdecor::Get() {
  static const std::optional<TLibdecor> loaded = Load();
  return loaded ? &*loaded : nullptr;
}

}  // namespace detonix::wayland
