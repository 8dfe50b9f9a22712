#pragma once

#include <libdecor.h>

namespace detonix::wayland {

// The libdecor functions a window with a title bar of its own uses, looked up in libdecor loaded
// on first use: only where the compositor draws no title bar (GNOME's), and never for the
// full-screen saver, is it loaded, with the drawing libraries its plugins bring.
struct TLibdecor {
  decltype(&libdecor_new) New = nullptr;
  decltype(&libdecor_unref) Unref = nullptr;
  decltype(&libdecor_dispatch) Dispatch = nullptr;
  decltype(&libdecor_decorate) Decorate = nullptr;
  decltype(&libdecor_frame_unref) FrameUnref = nullptr;
  decltype(&libdecor_frame_set_title) SetTitle = nullptr;
  decltype(&libdecor_frame_set_app_id) SetAppId = nullptr;
  decltype(&libdecor_frame_set_max_content_size) SetMaxContentSize = nullptr;
  decltype(&libdecor_frame_map) Map = nullptr;
  decltype(&libdecor_frame_commit) Commit = nullptr;
  decltype(&libdecor_configuration_get_content_size) ContentSize = nullptr;
  decltype(&libdecor_state_new) StateNew = nullptr;
  decltype(&libdecor_state_free) StateFree = nullptr;

  // Nothing when libdecor cannot be loaded (said once on standard error).
  static const TLibdecor* Get();
};

}  // namespace detonix::wayland
