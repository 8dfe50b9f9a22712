#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/HostWindow.h"
#include "shell/wayland/ShmPicture.h"

#include <wayland-client.h>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

struct libdecor;
struct libdecor_configuration;
struct libdecor_frame;
struct libdecor_frame_interface;

namespace detonix::wayland {

// A proxy of ours, destroyed (or released) with its owner; the connection, closed.
struct TProxyDeleter {
  void operator()(wl_display* display) const;
  void operator()(wl_registry* registry) const;
  void operator()(wl_compositor* compositor) const;
  void operator()(wl_shm* shm) const;
  void operator()(wl_surface* surface) const;
  void operator()(wl_seat* seat) const;
  void operator()(wl_pointer* pointer) const;
  void operator()(wl_keyboard* keyboard) const;
  void operator()(xdg_wm_base* base) const;
  void operator()(zxdg_decoration_manager_v1* manager) const;
  void operator()(zxdg_output_manager_v1* manager) const;
  void operator()(wp_viewporter* viewporter) const;
  void operator()(wp_fractional_scale_manager_v1* manager) const;
};
template <typename T>
using TProxy = std::unique_ptr<T, TProxyDeleter>;

// One monitor, as the compositor tells of it. Positions and sizes are in the compositor's
// logical units, which its scale turns into the monitor's pixels.
struct TOutput {
  explicit TOutput(wl_output* output, uint32_t name) : Output(output), Name(name) {}
  ~TOutput();
  TOutput(const TOutput&) = delete;
  TOutput& operator=(const TOutput&) = delete;

  // Its pixels per logical unit, in 120ths: where the compositor scales by fractions, as its
  // mode and logical size tell (1920 pixels shown as 1280 units: 180); else its whole scale.
  int Scale120(bool fractional) const;

  wl_output* const Output;
  const uint32_t Name;  // the registry's
  zxdg_output_v1* Logical = nullptr;  // where the compositor tells the logical position
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t ModeWidth = 0;  // pixels
  int32_t ModeHeight = 0;
  int32_t Scale = 1;
};

// The compositor's globals, bound by the shell, and its outputs.
struct TGlobals {
  TProxy<wl_compositor> Compositor;
  TProxy<wl_shm> Shm;
  TProxy<xdg_wm_base> WmBase;
  TProxy<zxdg_decoration_manager_v1> Decorations;
  TProxy<wp_viewporter> Viewporter;
  TProxy<wp_fractional_scale_manager_v1> FractionalScale;
  TProxy<zxdg_output_manager_v1> OutputManager;
  std::vector<std::unique_ptr<TOutput>> Outputs;
  // libdecor's context, where the window's title bar is its job; the shell owns it.
  libdecor* Decor = nullptr;

  TOutput* OutputOf(const wl_output* output) const;
  // The compositor tells fractional scales, and the pixels can be shown at any.
  bool Fractional() const { return FractionalScale && Viewporter; }
};

// One toplevel of the run and its pixels: the ordinary window, or the saver's on one output. Its
// size is in logical units; its pixels are that size times its scale, the output's own (the
// preferred fractional scale where the compositor tells one, with a viewport; else the largest
// whole scale of the outputs it is on, as the buffer's scale).
class TWaylandWindow final : public THostWindow {
 public:
  // FULLSCREEN: the saver's window on that output; none: the ordinary window, WIDTH by HEIGHT
  // logical units until the compositor says otherwise. SCALE120: the scale it starts at, in 120ths.
  TWaylandWindow(TGlobals& globals, const TOutput* fullscreen, int width, int height, int scale120);
  ~TWaylandWindow() override;
  TWaylandWindow(const TWaylandWindow&) = delete;
  TWaylandWindow& operator=(const TWaylandWindow&) = delete;

  void PixelSize(int& width, int& height) override;
  TWindowPixels Pixels() override;
  void ReleasePixels() override { FPicture.reset(); }
  void Present(const std::vector<TRect>& changed) override;

  // Shows what was presented since the last commit, where a buffer is free for it.
  void Commit();
  bool Configured() const { return FConfigured; }
  // The pixels per logical unit.
  double Scale() const { return FScale120 / 120.0; }
  // Where its top left corner is in the logical desktop (the ordinary window's is unknown: 0, 0).
  int32_t X() const { return FFullscreen ? FFullscreen->X : 0; }
  int32_t Y() const { return FFullscreen ? FFullscreen->Y : 0; }
  const TOutput* Fullscreen() const { return FFullscreen; }
  wl_surface* Surface() const { return FSurface.get(); }

  // Whether the pixel size changed since the last call: the run starts a new game at it.
  bool TakeResize();
  bool CloseAsked() const { return FCloseAsked; }
  // OUTPUT's scale changed, or it is gone.
  void OutputChanged(const TOutput* output);
  void OutputGone(const TOutput* output);

  size_t Index = SIZE_MAX;  // among the run's screens, once added

 private:
  static const xdg_surface_listener XdgSurfaceListener;
  static const xdg_toplevel_listener ToplevelListener;
  static const wl_surface_listener SurfaceListener;
  static const wp_fractional_scale_v1_listener FractionalListener;
  static libdecor_frame_interface FrameInterface;

  void Decorate();
  void Configure(int width, int height);
  void LibdecorConfigure(libdecor_frame* frame, libdecor_configuration* configuration);
  // The scale from the outputs the surface is on, or the compositor's preference.
  void Rescale();

  TGlobals& FGlobals;
  const TOutput* FFullscreen;
  TProxy<wl_surface> FSurface;
  // Members below are destroyed before the surface.
  wp_viewport* FViewport = nullptr;
  wp_fractional_scale_v1* FFractional = nullptr;
  xdg_surface* FXdgSurface = nullptr;
  xdg_toplevel* FToplevel = nullptr;
  zxdg_toplevel_decoration_v1* FDecoration = nullptr;
  libdecor_frame* FFrame = nullptr;
  std::unique_ptr<TShmPicture> FPicture;
  int FWidth;  // logical
  int FHeight;
  int FPendingWidth = 0;  // told by the last toplevel configure; 0: ours to choose
  int FPendingHeight = 0;
  int FInitial120;
  int FScale120;  // pixels per logical unit, in 120ths
  int FPreferred120 = 0;  // the compositor's fractional preference; 0: none told
  // The logical size and scale the pixels were made at, set on the surface with their first commit.
  int FPictureWidth = 0;
  int FPictureHeight = 0;
  int FPictureScale120 = 0;
  std::vector<const TOutput*> FOn;  // the outputs the surface is on
  bool FConfigured = false;
  bool FResized = false;
  bool FCloseAsked = false;
};

}  // namespace detonix::wayland
