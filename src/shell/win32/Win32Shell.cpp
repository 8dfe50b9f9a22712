#include "shell/win32/Win32Shell.h"

#include <algorithm>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "shell/win32/Win32Sound.h"

namespace detonix::win32 {

namespace {

TScreensOptions Options(TRunMode mode) {
  TScreensOptions options;
  options.Mode = mode;
  options.ReadSettings = [] { return LoadSettings(*CreateUserSettingsStore()); };
  // For the debugger's output: what the run could not do.
  options.Log = [](const std::string& text) { OutputDebugStringA(("detonix: " + text + "\n").c_str()); };
  return options;
}

}  // namespace

TWin32Shell::TWin32Shell(TApplication& app, TRunMode mode, HWND owner)
    : Owner(owner), FApp(app), FScreens(app, *this, Options(mode)) {}

bool TWin32Shell::HandleEvents() {
  MSG msg;
  while (!FScreens.Ended() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (AfterEvents && !FScreens.Ended()) AfterEvents();
  return !StillWanted || StillWanted();
}

bool TWin32Shell::EventWaiting() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

void TWin32Shell::Wait(std::optional<int64_t> ms) {
  DWORD timeout = ms ? static_cast<DWORD>(std::clamp<int64_t>(*ms, 0, 0x7FFFFFFF)) : INFINITE;
  if (StillWanted) timeout = std::min(timeout, WatchMs);
  if (timeout > 0) MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// Paints, posted messages and other threads' calls; the input waits for the loop.
void TWin32Shell::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE)) {
    if (msg.message == WM_QUIT) return PostQuitMessage(static_cast<int>(msg.wParam));  // the loop's to see
    DispatchMessageA(&msg);
  }
}

void TWin32Shell::ShowBox(const std::string& text) {
  // Top-most, or the full-screen saver would cover it.
  MessageBoxA(IsWindow(Owner) ? Owner : nullptr, text.c_str(), FApp.Title.c_str(),
              MB_OK | MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND);
}

std::shared_ptr<TSoundOutput> TWin32Shell::MakeSound() { return std::make_shared<TWin32SoundOutput>(); }

}  // namespace detonix::win32
