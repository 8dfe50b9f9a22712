#include "shell/sdl/Monitors.h"

#include <X11/Xlib.h>

namespace detonix::sdl {

namespace {

// What GNOME, KDE or xrdb published for the X11 desktop, read on a connection of our own.
std::optional<int> DesktopXftDpi() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || SDL_strcmp(driver, "x11") != 0) return std::nullopt;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return std::nullopt;
  const char* resources = XResourceManagerString(display);
  const auto dpi = resources ? XftDpi(resources) : std::nullopt;
  XCloseDisplay(display);
  return dpi;
}

}  // namespace

std::vector<TMonitor> SdlMonitors(std::optional<double> scale) {
  const std::optional<int> desktopDpi = scale ? DpiOfScale(*scale) : DesktopXftDpi();
  std::vector<TMonitor> monitors;
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    SDL_Rect r{};
    if (SDL_GetDisplayBounds(i, &r) != 0 || r.w <= 0 || r.h <= 0) continue;
    float measured = 0;
    if (!desktopDpi && SDL_GetDisplayDPI(i, &measured, nullptr, nullptr) != 0) measured = 0;
    monitors.push_back({TRect{r.x, r.y, r.x + r.w, r.y + r.h}, desktopDpi ? *desktopDpi : MeasuredDpi(measured)});
  }
  return monitors;
}

TMonitor MonitorOf(SDL_Window* window, std::optional<double> scale) {
  const std::vector<TMonitor> monitors = SdlMonitors(scale);
  const int index = SDL_GetWindowDisplayIndex(window);
  if (index >= 0 && static_cast<size_t>(index) < monitors.size()) return monitors[static_cast<size_t>(index)];
  return monitors.empty() ? TMonitor{TRect{}, scale ? DpiOfScale(*scale) : NativeDpi} : monitors.front();
}

}  // namespace detonix::sdl
