#pragma once

#include <windows.h>

#include "shell/win32/WinHandles.h"

namespace detonix::win32 {

// The program's hidden top-level window, titled with the application's title. Every top-level
// window of the program is owned by it, and it is a tool window, so the program never has a
// task bar button, whichever of its windows is open.
class TNoTaskBarButtonForm {
 public:
  TNoTaskBarButtonForm(HINSTANCE instance, const char* title);
  HWND Handle() const { return FWindow.Get(); }

 private:
  TWindowHandle FWindow;
};

}  // namespace detonix::win32
