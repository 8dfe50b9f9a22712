#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/Application.h"
#include "shell/win32/BoardForm.h"
#include "shell/win32/Win32Shell.h"

namespace detonix::win32 {

// The full-screen saver on one monitor: a borderless black window of the monitor's size, the
// pointer hidden over it, a screen of the run. Its input goes to the run, and so does another
// program coming to the front.
class TZepsScreenSaver final : public TBoardForm {
 public:
  TZepsScreenSaver(TSaverScreens& screens, const TMonitor& monitor) : TBoardForm(screens, monitor) {}

  // Creates and shows the window, owned by OWNER; nothing when creation fails.
  HWND Create(HINSTANCE instance, HWND owner);
  const TMonitor& Monitor() const { return FScreens.Monitor(FIndex); }

 private:
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  BOOL OnSetCursor(HWND hwnd, HWND cursorWindow, UINT codeHitTest, UINT msg);
  void OnMouseMove(HWND hwnd, int x, int y, UINT keyFlags);
  void OnButtonDown(HWND hwnd, BOOL doubleClick, int x, int y, UINT keyFlags);
  void OnKey(HWND hwnd, UINT vk, BOOL down, int repeat, UINT flags);
  void OnActivate(HWND hwnd, UINT state, HWND other, BOOL minimized);
  void OnActivateApp(HWND hwnd, BOOL active, DWORD threadId);
};

// The saver's run: a window on every monitor, each with its game; any input ends them all.
class TSaverWindows {
 public:
  // The message boxes are owned by OWNER.
  TSaverWindows(TApplication& app, const std::vector<TMonitor>& monitors, HWND owner);
  // Shows every window and starts the games; false when a window could not be made or show
  // anything. A board that cannot be made is told in a box, and the run is over.
  bool Start(HINSTANCE instance);
  TWin32Shell& Shell() { return FShell; }
  const std::vector<std::unique_ptr<TZepsScreenSaver>>& Forms() const { return FForms; }

  // Runs a game on every monitor of the desktop until input ends them.
  static int Run(HINSTANCE instance, HWND owner, TApplication& app);

 private:
  TWin32Shell FShell;  // before the forms, which are its screens
  std::vector<std::unique_ptr<TZepsScreenSaver>> FForms;
};

}  // namespace detonix::win32
