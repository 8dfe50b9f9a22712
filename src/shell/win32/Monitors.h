#pragma once

#include <windows.h>

#include <vector>

#include "host/Monitor.h"

namespace detonix::win32 {

// The monitors of the desktop, the primary first, each with its own dots per inch, mirrored ones
// once; the primary screen at the system's dots per inch where the system cannot say.
std::vector<TMonitor> DesktopMonitors();

// A window's dots per inch (GetDpiForWindow, Windows 10 1607 and later), else the system's.
int WindowDpi(HWND hwnd);

}  // namespace detonix::win32
