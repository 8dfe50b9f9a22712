#include "shell/sdl/Monitors.h"

#include <X11/Xlib.h>

#include <algorithm>

#include "shell/x11/XSupport.h"

namespace detonix::sdl {

namespace {

// What GNOME, KDE or xrdb published for the X11 desktop, read on a connection of our own.
std::optional<int> DesktopXftDpi() {
  if (!DriverIs("x11")) return std::nullopt;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return std::nullopt;
  const auto dpi = x11::DesktopXftDpi(display);
  XCloseDisplay(display);
  return dpi;
}

// A Wayland compositor scales every window by its output's scale itself; SDL lists the output's
// own pixels as its largest mode and its logical size as the desktop's.
double OutputScale(int display) {
  SDL_DisplayMode native{};
  SDL_DisplayMode logical{};
  if (SDL_GetDisplayMode(display, 0, &native) != 0 || SDL_GetDesktopDisplayMode(display, &logical) != 0 ||
      logical.w <= 0)
    return 1;
  return std::max(1.0, static_cast<double>(native.w) / logical.w);
}

// The dots per inch the game draws display I at.
int DisplayDpi(int i, std::optional<double> scale, std::optional<int> xftDpi) {
  // On Wayland the board is drawn in logical pixels, which the compositor scales already.
  if (DriverIs("wayland")) return scale ? DpiOfScale(*scale / OutputScale(i)) : NativeDpi;
  if (scale) return DpiOfScale(*scale);
  if (xftDpi) return *xftDpi;
  float measured = 0;
  return SDL_GetDisplayDPI(i, &measured, nullptr, nullptr) == 0 ? MeasuredDpi(measured) : NativeDpi;
}

}  // namespace

bool DriverIs(const char* name) {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && SDL_strcmp(driver, name) == 0;
}

std::vector<TMonitor> SdlMonitors(std::optional<double> scale) {
  const std::optional<int> xftDpi = scale ? std::nullopt : DesktopXftDpi();
  std::vector<TMonitor> monitors;
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    SDL_Rect r{};
    if (SDL_GetDisplayBounds(i, &r) != 0 || r.w <= 0 || r.h <= 0) continue;
    monitors.push_back({TRect{r.x, r.y, r.x + r.w, r.y + r.h}, DisplayDpi(i, scale, xftDpi)});
  }
  return monitors;
}

double PixelRatio(SDL_Window* window) {
  int units = 0;
  int pixels = 0;
  SDL_GetWindowSize(window, &units, nullptr);
  SDL_GetWindowSizeInPixels(window, &pixels, nullptr);
  return units > 0 && pixels > units ? static_cast<double>(pixels) / units : 1.0;
}

TMonitor MonitorOf(SDL_Window* window, std::optional<double> scale) {
  const std::vector<TMonitor> monitors = SdlMonitors(scale);
  const int index = SDL_GetWindowDisplayIndex(window);
  if (index >= 0 && static_cast<size_t>(index) < monitors.size()) return monitors[static_cast<size_t>(index)];
  return monitors.empty() ? TMonitor{TRect{}, scale ? DpiOfScale(*scale) : NativeDpi} : monitors.front();
}

}  // namespace detonix::sdl
