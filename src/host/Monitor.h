#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "board/GameConstants.h"
#include "platform/GraphicsTypes.h"

namespace detonix {

// One monitor of the desktop: its rectangle in desktop pixels and its dots per inch (96 is 100 %).
struct TMonitor {
  TRect Bounds;
  int Dpi = 96;
};

// The monitors a shell lists, as the saver covers them: mirrored monitors (the same rectangle)
// show one picture, so they count once, as the first of them listed; an empty one not at all.
std::vector<TMonitor> DistinctMonitors(const std::vector<TMonitor>& monitors);

// The cell size for a game at DPI: -1, the pictures' own, at 96.
constexpr int ScaledCellSize(int dpi) { return dpi <= 0 || dpi == NativeDpi ? -1 : ScaledPixels(NativeCellSize, dpi); }
constexpr int ScaledPointerTolerance(int dpi) { return ScaledPixels(PointerTolerance, dpi <= 0 ? NativeDpi : dpi); }

// The dots per inch of a scale such as 1.5 (150 %); the smallest scale is a quarter.
int DpiOfScale(double scale);
// The desktop's dots per inch as an X11 desktop publishes them: the Xft.dpi line of the
// resources (GNOME, KDE and xrdb set it). Nothing when RESOURCES have none that makes sense.
std::optional<int> XftDpi(std::string_view resources);
// A monitor's dots per inch as measured from its size: a fact of the glass, not a choice of the
// user, so only a clearly denser monitor scales, in steps of a quarter, none scales down, and none
// past the largest scale a run may be given.
int MeasuredDpi(double dpi);
// The same from the pixels and millimetres a monitor reports, along its diagonal. A size that
// cannot be a real monitor's (none, or a side under MinMonitorMm) says nothing: 96.
constexpr int MinMonitorMm = 30;
int MeasuredDpi(int width, int height, int widthMm, int heightMm);

}  // namespace detonix
