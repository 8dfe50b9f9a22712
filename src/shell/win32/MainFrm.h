#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "shell/win32/BoardForm.h"
#include "shell/win32/Win32Shell.h"

namespace detonix::win32 {

class TSaverWindows;

// The full-screen saver on one monitor: a borderless black window of the monitor's size, the
// pointer hidden over it, a screen of the run. Its input goes to the run, and so does another
// program coming to the front; a change of the desktop's monitors goes to WINDOWS.
class TZepsScreenSaver final : public TBoardForm {
 public:
  TZepsScreenSaver(TSaverWindows& windows, const TMonitor& monitor);

  // Creates and shows the window, owned by OWNER; nothing when creation fails.
  HWND Create(HINSTANCE instance, HWND owner);
  // Covers the monitor again, after it moved or changed its size.
  void Place();
  const TMonitor& Monitor() const { return FScreens.Monitor(FIndex); }
  size_t Index() const { return FIndex; }
  // What the debugger's output last said of this monitor's board.
  std::string Reported;

 private:
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  BOOL OnSetCursor(HWND hwnd, HWND cursorWindow, UINT codeHitTest, UINT msg);
  void OnMouseMove(HWND hwnd, int x, int y, UINT keyFlags);
  void OnButtonDown(HWND hwnd, BOOL doubleClick, int x, int y, UINT keyFlags);
  void OnKey(HWND hwnd, UINT vk, BOOL down, int repeat, UINT flags);
  void OnActivate(HWND hwnd, UINT state, HWND other, BOOL minimized);
  void OnActivateApp(HWND hwnd, BOOL active, DWORD threadId);

  TSaverWindows& FWindows;
};

// The saver's run: a window on every monitor, each with its game, following the monitors as they
// come, go and change; any input ends them all.
class TSaverWindows {
 public:
  // The message boxes are owned by OWNER.
  TSaverWindows(TApplication& app, const std::vector<TMonitor>& monitors, HWND owner);
  // Shows every window and starts the games; false when a window could not be made or show
  // anything (a box has said why). A monitor whose board cannot be made stays black, the reason
  // written on it, and the others play.
  bool Start(HINSTANCE instance);
  TWin32Shell& Shell() { return FShell; }
  const std::vector<std::unique_ptr<TZepsScreenSaver>>& Forms() const { return FForms; }

  // The user's key, click or move on a window; ENDED: it ended the run.
  void TookInput(bool ended) { FEndedByInput = FEndedByInput || ended; }
  // The user's own input ended the run, not another program coming to the front.
  bool EndedByInput() const { return FEndedByInput; }
  // The desktop's monitors have changed (WM_DISPLAYCHANGE, WM_DPICHANGED): followed once the
  // events are handled, outside any window's message, for a window may go.
  void DesktopChanged() { FDesktopChanged = true; }
  // Windows closed, moved and made, so that MONITORS, the desktop's now, are each covered once.
  void FollowMonitors(const std::vector<TMonitor>& monitors);

  // Runs a game on every monitor of the desktop until input ends them; the foreground goes back
  // to PREVIOUS only when the user's input ended them.
  static int Run(HINSTANCE instance, HWND owner, TApplication& app, HWND previous);

 private:
  // For the debugger's output (and the tests that read it): what each monitor got, once a board.
  void ReportBoards();

  TWin32Shell FShell;  // before the forms, which are its screens
  std::vector<std::unique_ptr<TZepsScreenSaver>> FForms;
  HINSTANCE FInstance = nullptr;
  bool FEndedByInput = false;
  bool FDesktopChanged = false;
};

}  // namespace detonix::win32
