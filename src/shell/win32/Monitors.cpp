#include "shell/win32/Monitors.h"

#include "shell/win32/WinHandles.h"

namespace detonix::win32 {

namespace {

// The system's dots per inch: the one scale before Windows 8.1 knew one per monitor.
int SystemDpi() {
  const TScreenDC screen;
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : NativeDpi;
  return dpi > 0 ? dpi : NativeDpi;
}

// GetDpiForMonitor (shcore.dll, Windows 8.1 and later); the system's dots per inch elsewhere.
int MonitorDpi(HMONITOR monitor) {
  using TGetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor = [] {
    const HMODULE shcore = LoadLibraryA("shcore.dll");  // kept for the life of the program
    return shcore ? reinterpret_cast<TGetDpiForMonitor>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  UINT x = 0;
  UINT y = 0;
  constexpr int EffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  if (getDpiForMonitor && getDpiForMonitor(monitor, EffectiveDpi, &x, &y) == S_OK && x > 0) return static_cast<int>(x);
  return SystemDpi();
}

}  // namespace

std::vector<TMonitor> DesktopMonitors() {
  std::vector<TMonitor> monitors;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM param) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoA(monitor, &info)) return TRUE;
        const RECT& r = info.rcMonitor;
        auto* list = reinterpret_cast<std::vector<TMonitor>*>(param);
        // The primary monitor first: its window is the one the tests and the system know best.
        const TMonitor m{TRect{r.left, r.top, r.right, r.bottom}, MonitorDpi(monitor)};
        if (info.dwFlags & MONITORINFOF_PRIMARY)
          list->insert(list->begin(), m);
        else
          list->push_back(m);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty())
    monitors.push_back({TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, SystemDpi()});
  return DistinctMonitors(monitors);
}

int WindowDpi(HWND hwnd) {
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<TGetDpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(hwnd); dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

}  // namespace detonix::win32
