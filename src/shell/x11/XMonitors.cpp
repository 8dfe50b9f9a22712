#include "shell/x11/XMonitors.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "shell/x11/XSupport.h"

namespace detonix::x11 {

std::vector<TMonitor> XMonitors(Display* display, std::optional<double> scale) {
  // A scale given for the run, else the desktop's choice, else the glass's.
  const int chosen = scale ? DpiOfScale(*scale) : DesktopXftDpi(display).value_or(0);
  const auto dpi = [chosen](int width, int height, int widthMm, int heightMm) {
    return chosen > 0 ? chosen : MeasuredDpi(width, height, widthMm, heightMm);
  };
  std::vector<TMonitor> monitors;
  int event = 0;
  int error = 0;
  int count = 0;
  XRRMonitorInfo* info = XRRQueryExtension(display, &event, &error)
                             ? XRRGetMonitors(display, DefaultRootWindow(display), True, &count)
                             : nullptr;
  for (int i = 0; i < count; ++i) {
    const XRRMonitorInfo& m = info[i];
    if (m.width <= 0 || m.height <= 0) continue;
    monitors.push_back(
        {TRect{m.x, m.y, m.x + m.width, m.y + m.height}, dpi(m.width, m.height, m.mwidth, m.mheight)});
  }
  if (info) XRRFreeMonitors(info);
  if (monitors.empty()) {
    const int screen = DefaultScreen(display);
    const int width = DisplayWidth(display, screen);
    const int height = DisplayHeight(display, screen);
    monitors.push_back(
        {TRect{0, 0, width, height}, dpi(width, height, DisplayWidthMM(display, screen), DisplayHeightMM(display, screen))});
  }
  return monitors;
}

TMonitor XMonitorOf(Display* display, unsigned long window, const std::vector<TMonitor>& monitors,
                    std::optional<double> scale) {
  if (monitors.empty()) return {TRect{}, scale ? DpiOfScale(*scale) : NativeDpi};
  XWindowAttributes attributes;
  Window child = 0;
  int x = 0;
  int y = 0;
  if (XGetWindowAttributes(display, window, &attributes) &&
      XTranslateCoordinates(display, window, DefaultRootWindow(display), attributes.width / 2, attributes.height / 2,
                            &x, &y, &child)) {
    for (const TMonitor& m : monitors)
      if (x >= m.Bounds.Left && x < m.Bounds.Right && y >= m.Bounds.Top && y < m.Bounds.Bottom) return m;
  }
  return monitors.front();
}

}  // namespace detonix::x11
