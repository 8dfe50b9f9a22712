#include "host/Monitor.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/TextNumbers.h"

namespace detonix {

std::vector<TMonitor> DistinctMonitors(const std::vector<TMonitor>& monitors) {
  std::vector<TMonitor> distinct;
  for (const TMonitor& m : monitors) {
    const auto same = [&m](const TMonitor& d) { return d.Bounds == m.Bounds; };
    if (!m.Bounds.IsEmpty() && std::none_of(distinct.begin(), distinct.end(), same)) distinct.push_back(m);
  }
  return distinct;
}

int DpiOfScale(double scale) { return static_cast<int>(std::lround(std::max(scale, 0.25) * NativeDpi)); }

std::optional<int> XftDpi(std::string_view resources) {
  constexpr std::string_view Name = "Xft.dpi:";
  for (size_t at = 0; at < resources.size();) {
    const size_t end = std::min(resources.find('\n', at), resources.size());
    const std::string_view line = resources.substr(at, end - at);
    at = end + 1;
    if (!line.starts_with(Name)) continue;
    std::string value(line.substr(Name.size()));
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t\r") + 1);
    // Below 50 % or past 800 % nobody meant it.
    if (const auto dpi = ParseNumber<double>(value); dpi && *dpi >= NativeDpi / 2 && *dpi <= 8 * NativeDpi)
      return static_cast<int>(std::lround(*dpi));
    return std::nullopt;
  }
  return std::nullopt;
}

int MeasuredDpi(double dpi) {
  if (!(dpi > NativeDpi)) return NativeDpi;
  return DpiOfScale(std::min(std::round(dpi / NativeDpi * 4) / 4, MaxScale));
}

int MeasuredDpi(int width, int height, int widthMm, int heightMm) {
  if (widthMm < MinMonitorMm || heightMm < MinMonitorMm) return NativeDpi;
  return MeasuredDpi(std::hypot(width, height) / (std::hypot(widthMm, heightMm) / 25.4));
}

}  // namespace detonix
