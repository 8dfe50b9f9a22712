#include "shell/wayland/WaylandWindow.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/DetonixSim.h"
#include "shell/wayland/Libdecor.h"

namespace detonix::wayland {

namespace {

TWaylandWindow* Self(void* data) { return static_cast<TWaylandWindow*>(data); }

}  // namespace

void TProxyDeleter::operator()(wl_display* display) const { wl_display_disconnect(display); }
void TProxyDeleter::operator()(wl_registry* registry) const { wl_registry_destroy(registry); }
void TProxyDeleter::operator()(wl_compositor* compositor) const { wl_compositor_destroy(compositor); }
void TProxyDeleter::operator()(wl_shm* shm) const { wl_shm_destroy(shm); }
void TProxyDeleter::operator()(wl_surface* surface) const { wl_surface_destroy(surface); }
void TProxyDeleter::operator()(wl_seat* seat) const {
  if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION) wl_seat_release(seat);
  else wl_seat_destroy(seat);
}
void TProxyDeleter::operator()(wl_pointer* pointer) const {
  if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) wl_pointer_release(pointer);
  else wl_pointer_destroy(pointer);
}
void TProxyDeleter::operator()(wl_keyboard* keyboard) const {
  if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) wl_keyboard_release(keyboard);
  else wl_keyboard_destroy(keyboard);
}
void TProxyDeleter::operator()(xdg_wm_base* base) const { xdg_wm_base_destroy(base); }
void TProxyDeleter::operator()(zxdg_decoration_manager_v1* manager) const { zxdg_decoration_manager_v1_destroy(manager); }
void TProxyDeleter::operator()(zxdg_output_manager_v1* manager) const { zxdg_output_manager_v1_destroy(manager); }
void TProxyDeleter::operator()(wp_viewporter* viewporter) const { wp_viewporter_destroy(viewporter); }
void TProxyDeleter::operator()(wp_fractional_scale_manager_v1* manager) const {
  wp_fractional_scale_manager_v1_destroy(manager);
}

TOutput::~TOutput() {
  if (Logical) zxdg_output_v1_destroy(Logical);
  if (wl_output_get_version(Output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) wl_output_release(Output);
  else wl_output_destroy(Output);
}

int TOutput::Scale120(bool fractional) const {
  if (fractional && Logical && Width > 0 && Height > 0 && ModeWidth > 0 && ModeHeight > 0)
    return static_cast<int>(std::lround(std::max(ModeWidth, ModeHeight) * 120.0 / std::max(Width, Height)));
  return 120 * Scale;
}

TOutput* TGlobals::OutputOf(const wl_output* output) const {
  for (const auto& o : Outputs)
    if (o->Output == output) return o.get();
  return nullptr;  // one bound by someone else (libdecor's plugin)
}

const xdg_surface_listener TWaylandWindow::XdgSurfaceListener = {
    .configure =
        [](void* data, xdg_surface* surface, uint32_t serial) {
          xdg_surface_ack_configure(surface, serial);
          Self(data)->Configure(Self(data)->FPendingWidth, Self(data)->FPendingHeight);
        },
};

const xdg_toplevel_listener TWaylandWindow::ToplevelListener = {
    .configure =
        [](void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
          Self(data)->FPendingWidth = width;
          Self(data)->FPendingHeight = height;
        },
    .close = [](void* data, xdg_toplevel*) { Self(data)->FCloseAsked = true; },
    .configure_bounds = [](void*, xdg_toplevel*, int32_t, int32_t) {},
    .wm_capabilities = [](void*, xdg_toplevel*, wl_array*) {},
};

const wl_surface_listener TWaylandWindow::SurfaceListener = {
    .enter =
        [](void* data, wl_surface*, wl_output* output) {
          if (const TOutput* o = Self(data)->FGlobals.OutputOf(output)) {
            Self(data)->FOn.push_back(o);
            Self(data)->Rescale();
          }
        },
    .leave = [](void* data, wl_surface*, wl_output* output) { Self(data)->OutputGone(Self(data)->FGlobals.OutputOf(output)); },
};

const wp_fractional_scale_v1_listener TWaylandWindow::FractionalListener = {
    .preferred_scale =
        [](void* data, wp_fractional_scale_v1*, uint32_t scale) {
          Self(data)->FPreferred120 = static_cast<int>(scale);
          Self(data)->Rescale();
        },
};

libdecor_frame_interface TWaylandWindow::FrameInterface = {
    .configure = [](libdecor_frame* frame, libdecor_configuration* configuration,
                    void* data) { Self(data)->LibdecorConfigure(frame, configuration); },
    .close = [](libdecor_frame*, void* data) { Self(data)->FCloseAsked = true; },
    // Its title bar is a subsurface that shows only with our surface's next commit.
    .commit = [](libdecor_frame*, void* data) { wl_surface_commit(Self(data)->Surface()); },
    .dismiss_popup = [](libdecor_frame*, const char*, void*) {},
    .reserved0 = nullptr, .reserved1 = nullptr, .reserved2 = nullptr, .reserved3 = nullptr, .reserved4 = nullptr,
    .reserved5 = nullptr, .reserved6 = nullptr, .reserved7 = nullptr, .reserved8 = nullptr, .reserved9 = nullptr,
};

TWaylandWindow::TWaylandWindow(TGlobals& globals, const TOutput* fullscreen, int width, int height, int scale120)
    : FGlobals(globals),
      FFullscreen(fullscreen),
      FSurface(wl_compositor_create_surface(globals.Compositor.get())),
      FWidth(width),
      FHeight(height),
      FInitial120(std::max(scale120, 30)),
      FScale120(FInitial120) {
  wl_surface* surface = FSurface.get();
  wl_surface_add_listener(surface, &SurfaceListener, this);
  // Where the compositor tells a fractional scale, the pixels are painted at it and the viewport
  // shows them at the logical size: no blur of a whole scale shrunk by the compositor.
  if (globals.Fractional()) {
    FViewport = wp_viewporter_get_viewport(globals.Viewporter.get(), surface);
    FFractional = wp_fractional_scale_manager_v1_get_fractional_scale(globals.FractionalScale.get(), surface);
    wp_fractional_scale_v1_add_listener(FFractional, &FractionalListener, this);
  }
  // The saver needs no title bar; the window gets the compositor's, else libdecor's.
  if (!fullscreen && !globals.Decorations && globals.Decor) {
    Decorate();
    return;
  }
  FXdgSurface = xdg_wm_base_get_xdg_surface(globals.WmBase.get(), surface);
  xdg_surface_add_listener(FXdgSurface, &XdgSurfaceListener, this);
  FToplevel = xdg_surface_get_toplevel(FXdgSurface);
  xdg_toplevel_add_listener(FToplevel, &ToplevelListener, this);
  xdg_toplevel_set_title(FToplevel, "Detonix");
  // Docks and task switchers find detonix.desktop by it.
  xdg_toplevel_set_app_id(FToplevel, "detonix");
  if (fullscreen) {
    xdg_toplevel_set_fullscreen(FToplevel, fullscreen->Output);
  } else {
    // A compositor keeps it within the board's limits.
    const int most = MaxSurfaceSide * 120 / FInitial120;
    xdg_toplevel_set_max_size(FToplevel, most, most);
    if (globals.Decorations.get()) {
      FDecoration = zxdg_decoration_manager_v1_get_toplevel_decoration(globals.Decorations.get(), FToplevel);
      zxdg_toplevel_decoration_v1_set_mode(FDecoration, ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
  }
  // Asks for the first configure; the pixels come after it.
  wl_surface_commit(surface);
}

void TWaylandWindow::Decorate() {
  const TLibdecor* d = TLibdecor::Get();
  FFrame = d->Decorate(FGlobals.Decor, FSurface.get(), &FrameInterface, this);
  d->SetTitle(FFrame, "Detonix");
  d->SetAppId(FFrame, "detonix");
  const int most = MaxSurfaceSide * 120 / FInitial120;
  d->SetMaxContentSize(FFrame, most, most);
  d->Map(FFrame);
}

TWaylandWindow::~TWaylandWindow() {
  FPicture.reset();
  if (FDecoration) zxdg_toplevel_decoration_v1_destroy(FDecoration);
  if (FToplevel) xdg_toplevel_destroy(FToplevel);
  if (FXdgSurface) xdg_surface_destroy(FXdgSurface);
  if (FFrame) TLibdecor::Get()->FrameUnref(FFrame);
  if (FFractional) wp_fractional_scale_v1_destroy(FFractional);
  if (FViewport) wp_viewport_destroy(FViewport);
}

void TWaylandWindow::LibdecorConfigure(libdecor_frame* frame, libdecor_configuration* configuration) {
  const TLibdecor* d = TLibdecor::Get();
  int width = 0;
  int height = 0;
  if (!d->ContentSize(configuration, frame, &width, &height)) {
    width = FWidth;
    height = FHeight;
  }
  libdecor_state* state = d->StateNew(width, height);
  d->Commit(frame, state, configuration);
  d->StateFree(state);
  Configure(width, height);
}

void TWaylandWindow::Configure(int width, int height) {
  // 0 by 0: the size is ours to choose, and stays.
  if (width > 0 && height > 0 && (width != FWidth || height != FHeight)) {
    FWidth = width;
    FHeight = height;
    FResized = true;
  }
  FConfigured = true;
}

void TWaylandWindow::Rescale() {
  int wanted = FPreferred120;
  if (wanted <= 0) {
    for (const TOutput* o : FOn) wanted = std::max(wanted, o->Scale120(FGlobals.Fractional()));
    if (wanted <= 0) wanted = FInitial120;
  }
  if (wanted == FScale120) return;
  FScale120 = wanted;
  FResized = true;
}

void TWaylandWindow::OutputChanged(const TOutput* output) {
  if (std::find(FOn.begin(), FOn.end(), output) != FOn.end()) Rescale();
}

void TWaylandWindow::OutputGone(const TOutput* output) {
  if (!output) return;
  if (FFullscreen == output) FFullscreen = nullptr;
  const auto on = std::find(FOn.begin(), FOn.end(), output);
  if (on == FOn.end()) return;
  FOn.erase(on);
  Rescale();
}

bool TWaylandWindow::TakeResize() { return std::exchange(FResized, false); }

void TWaylandWindow::PixelSize(int& width, int& height) {
  if (FViewport) {
    // As the compositor expects a buffer for a viewport at a fractional scale: rounded.
    width = static_cast<int>(std::lround(FWidth * FScale120 / 120.0));
    height = static_cast<int>(std::lround(FHeight * FScale120 / 120.0));
    return;
  }
  width = FWidth * (FScale120 / 120);
  height = FHeight * (FScale120 / 120);
}

TWindowPixels TWaylandWindow::Pixels() {
  ReleasePixels();
  int width = 0;
  int height = 0;
  PixelSize(width, height);
  FPicture = TShmPicture::Create(FGlobals.Shm.get(), width, height);
  if (!FPicture) return {};
  FPictureWidth = FWidth;
  FPictureHeight = FHeight;
  FPictureScale120 = FScale120;
  return {FPicture->Pixels(), width, height, FPicture->Pitch()};
}

void TWaylandWindow::Present(const std::vector<TRect>& changed) {
  if (FPicture) FPicture->Changed(changed);
}

void TWaylandWindow::Commit() {
  if (!FConfigured || !FPicture || !FPicture->Pending()) return;
  // Pixels of an older size or scale wait for the new game's, which the run makes next.
  if (FPictureWidth != FWidth || FPictureHeight != FHeight || FPictureScale120 != FScale120) return;
  const bool first = !FPicture->Shown();
  if (!FPicture->Attach(FSurface.get())) return;
  if (first) {
    if (FViewport) wp_viewport_set_destination(FViewport, FPictureWidth, FPictureHeight);
    else wl_surface_set_buffer_scale(FSurface.get(), FPictureScale120 / 120);
  }
  wl_surface_commit(FSurface.get());
}

}  // namespace detonix::wayland
