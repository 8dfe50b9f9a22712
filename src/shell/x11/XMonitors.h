#pragma once

#include <optional>
#include <vector>

#include "host/Monitor.h"

struct _XDisplay;  // Xlib's Display

namespace detonix::x11 {

// The monitors of DISPLAY's default screen (RandR's, else the whole screen as one), each at the
// desktop's scale: SCALE when one is given for the run, else the desktop's Xft.dpi, else the
// monitor's measured density.
std::vector<TMonitor> XMonitors(_XDisplay* display, std::optional<double> scale);
// The monitor of MONITORS that holds the middle of WINDOW (the first where none does).
TMonitor XMonitorOf(_XDisplay* display, unsigned long window, const std::vector<TMonitor>& monitors,
                    std::optional<double> scale);

}  // namespace detonix::x11
