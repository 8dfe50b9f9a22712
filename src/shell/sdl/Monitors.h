#pragma once

#include <optional>
#include <vector>

#include <SDL.h>

#include "host/Monitor.h"

namespace detonix::sdl {

// Whether SDL's video runs on the driver of this name ("x11", "wayland").
bool DriverIs(const char* name);

// The monitors SDL reports, once its video has started, each at the desktop's scale: SCALE when
// one is given for the run, else the Xft.dpi of an X11 desktop, else SDL's measure of the monitor.
// On Wayland the monitors are at 100 % of the windows' units, which the compositor scales (a
// high-dpi window's pixels are finer still: see PixelRatio); there a SCALE counts in the output's
// own pixels.
std::vector<TMonitor> SdlMonitors(std::optional<double> scale);
// WINDOW's pixels per unit of its size: 1, or on Wayland a high-dpi window's buffer scale.
double PixelRatio(SDL_Window* window);
// The monitor WINDOW is on (the first where SDL cannot say), at the same scale.
TMonitor MonitorOf(SDL_Window* window, std::optional<double> scale);

}  // namespace detonix::sdl
