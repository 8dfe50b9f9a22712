#pragma once

#include <windows.h>

namespace detonix::win32 {

// Opens the host's password-change dialog for screen savers, on the Windows 95 family only;
// elsewhere, or without the host's library, it does nothing.
void ChangePassword(HWND parentWindow);

}  // namespace detonix::win32
