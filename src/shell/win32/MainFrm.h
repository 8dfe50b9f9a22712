#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/Application.h"
#include "shell/win32/BoardForm.h"

namespace detonix::win32 {

// The full-screen saver on one monitor: a borderless black window of the monitor's size, the
// pointer hidden over it, a game of the run's screens. Input that ends the run closes it, and so
// does another program coming to the front.
class TZepsScreenSaver final : public TBoardForm {
 public:
  TZepsScreenSaver(TApplication& app, TSaverScreens& screens, const TMonitor& monitor);

  // Creates and shows the window, owned by OWNER, and starts the game; nothing when creation fails.
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
  void OnShowGame(HWND hwnd) override;
  void CloseIf(HWND hwnd, bool ended);
};

// The saver's windows, one on every monitor, on one application; any input ends them all.
class TSaverWindows {
 public:
  TSaverWindows(TApplication& app, const std::vector<TMonitor>& monitors);
  // Creates every window; false when one of them cannot be made.
  bool Create(HINSTANCE instance, HWND owner);
  // Runs the games until a window closes or STILLWANTED (asked every 250 ms) says no.
  int RunLoop(std::function<bool()> stillWanted = {});
  const std::vector<std::unique_ptr<TZepsScreenSaver>>& Forms() const { return FForms; }

  // Runs a game on every monitor of the desktop until input ends them.
  static int Run(HINSTANCE instance, HWND owner, TApplication& app);

 private:
  TApplication& FApp;
  TSaverScreens FScreens;  // before the forms, which hold its games
  std::vector<std::unique_ptr<TZepsScreenSaver>> FForms;
};

}  // namespace detonix::win32
