#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/Application.h"
#include "shell/win32/BoardForm.h"

namespace detonix::win32 {

// The monitors of the desktop, each with its own dots per inch; the primary screen at the system's
// dots per inch where the system cannot say.
std::vector<TMonitor> DesktopMonitors();

// The full-screen saver on one monitor: a borderless black window of the monitor's size, the
// pointer hidden over it, cells of 30 pixels times the monitor's scale. The first key, click, or
// mouse movement of more than 20 pixels (times the scale) on either axis from where the pointer
// was when it was shown closes it.
class TZepsScreenSaver final : public TBoardForm {
 public:
  explicit TZepsScreenSaver(TApplication& app, const TMonitor& monitor = {});

  // Creates and shows the window, owned by OWNER, and starts the game; nothing when creation fails.
  HWND Create(HINSTANCE instance, HWND owner);
  const TMonitor& Monitor() const { return FMonitor; }
  // Told when the window closes, so the savers on the other monitors end with it.
  std::function<void()> OnClose;

  // Runs a game on every monitor until one of the windows closes.
  static int Run(HINSTANCE instance, HWND owner, TApplication& app);

 private:
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  // Remembers where the pointer is, so a movement can be measured from the start.
  BOOL OnCreate(HWND hwnd, LPCREATESTRUCT create);
  BOOL OnSetCursor(HWND hwnd, HWND cursorWindow, UINT codeHitTest, UINT msg);
  void OnMouseMove(HWND hwnd, int x, int y, UINT keyFlags);
  void OnButtonDown(HWND hwnd, BOOL doubleClick, int x, int y, UINT keyFlags);
  void OnKey(HWND hwnd, UINT vk, BOOL down, int repeat, UINT flags);
  void OnShowGame(HWND hwnd) override;
  void Close(HWND hwnd);

  TMonitor FMonitor;
};

// One saver per monitor, on one application: any of them closing ends them all.
class TSaverScreens {
 public:
  TSaverScreens(TApplication& app, const std::vector<TMonitor>& monitors);
  TSaverScreens(const TSaverScreens&) = delete;  // the windows call back into it
  TSaverScreens& operator=(const TSaverScreens&) = delete;
  // Creates every window; false when one of them cannot be made.
  bool Create(HINSTANCE instance, HWND owner);
  // Runs the games until a window closes or STILLWANTED (asked every 250 ms) says no.
  int RunLoop(std::function<bool()> stillWanted = {});
  const std::vector<std::unique_ptr<TZepsScreenSaver>>& Forms() const { return FForms; }

 private:
  TApplication& FApp;
  std::vector<std::unique_ptr<TZepsScreenSaver>> FForms;
};

}  // namespace detonix::win32
