#pragma once

#include <cstdint>
#include <functional>
#include <optional>

struct _XDisplay;  // Xlib's Display

namespace detonix::x11 {

// Xlib's default error handler ends the process on the first BadWindow, which a window that
// its owner destroys under us produces. This one records such errors instead; a broken
// connection ends the program.
void InstallXErrorHandler();
// Whether an X request has failed on a missing window or drawable since the last call.
bool TakeXWindowError();
// Runs REQUEST on DISPLAY with its errors taken as a no instead of ending the process; whether
// it succeeded.
bool ProbeX(_XDisplay* display, const std::function<bool()>& request);

// Whether WINDOW exists on DISPLAY.
bool XWindowExists(_XDisplay* display, unsigned long window);
// Window ID, or without one the default screen's root window, if it exists on the default display.
std::optional<uint64_t> ExistingXWindow(std::optional<uint64_t> id);

// The desktop's Xft.dpi (GNOME, KDE or xrdb publish it), if it has one that makes sense.
std::optional<int> DesktopXftDpi(_XDisplay* display);

// An X connection to sleep on.
struct TXConnection {
  _XDisplay* Display = nullptr;
  int Fd = -1;
};
// Sleeps until the connection has input, WAKEFD is readable or TIMEOUTMS (-1: no limit) have
// passed; whether an event may be waiting.
bool WaitForXInput(const TXConnection& x, int wakeFd, int timeoutMs);

}  // namespace detonix::x11
