#include "shell/win32/MessageLoop.h"

#include <algorithm>

#include "host/GameHost.h"

namespace detonix::win32 {

namespace {

// Dispatches every waiting message; false once WM_QUIT has been taken off the queue.
bool PumpMessages(int& exitCode) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      exitCode = static_cast<int>(msg.wParam);
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

bool MessageWaiting() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

}  // namespace

void InstallApplicationHooks(TApplication& app, HWND owner) {
  app.OnProcessMessages = [] {
    int exitCode = 0;
    // A quit seen here belongs to the main loop: put it back for it.
    if (!PumpMessages(exitCode)) PostQuitMessage(exitCode);
  };
  app.OnShowMessage = [&app, owner](const std::string& text) {
    // Top-most, or the full-screen saver would cover it.
    MessageBoxA(IsWindow(owner) ? owner : nullptr, text.c_str(), app.Title.c_str(),
                MB_OK | MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND);
  };
}

int RunMessageLoop(TApplication& app, const TLoopHooks& hooks) {
  DWORD lastWatch = GetTickCount();
  for (;;) {
    int exitCode = 0;
    if (!PumpMessages(exitCode)) return exitCode;
    if (app.Terminated()) return 0;

    const auto due = RunLoopStep(app, hooks.Present, MessageWaiting);

    if (hooks.StillWanted && hooks.WatchMs > 0 && GetTickCount() - lastWatch >= hooks.WatchMs) {
      lastWatch = GetTickCount();
      if (!hooks.StillWanted()) return 0;
    }

    DWORD timeout = due ? static_cast<DWORD>(std::clamp<int64_t>(*due, 0, 0x7FFFFFFF)) : INFINITE;
    if (hooks.StillWanted && hooks.WatchMs > 0)
      timeout = std::min(timeout, hooks.WatchMs - std::min(GetTickCount() - lastWatch, hooks.WatchMs));
    if (timeout > 0) MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace detonix::win32
