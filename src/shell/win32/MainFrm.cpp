#include "shell/win32/MainFrm.h"

#include <windowsx.h>

#include <cstdio>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "shell/win32/MessageLoop.h"
#include "shell/win32/Monitors.h"
#include "shell/win32/StartUp.h"
#include "shell/win32/Win32Sound.h"

namespace detonix::win32 {

namespace {
constexpr const char* SaverCaption = "Detonix";

TScreensOptions SaverOptions() {
  TScreensOptions options;
  options.Mode = TRunMode::rmSaver;
  options.ReadSettings = [] { return LoadSettings(*CreateUserSettingsStore()); };
  options.OpenSound = [] { return std::make_shared<TWin32SoundOutput>(); };
  options.BoxOverSaver = true;  // the application's box is top-most
  return options;
}

void RememberPointer(TSaverScreens& screens) {
  POINT p{};
  GetCursorPos(&p);
  screens.PointerStartsAt(p.x, p.y);
}

}  // namespace

TZepsScreenSaver::TZepsScreenSaver(TApplication& app, TSaverScreens& screens, const TMonitor& monitor)
    : TBoardForm(app, screens, monitor) {}

HWND TZepsScreenSaver::Create(HINSTANCE instance, HWND owner) {
  // The already-running check looks for this class; no pointer over the board.
  if (!RegisterBoardClass(instance, SaverClassName, CS_HREDRAW | CS_VREDRAW, LoadIconA(instance, MAKEINTRESOURCEA(1)),
                          nullptr))
    return nullptr;
  const TRect& r = Monitor().Bounds;
  FWindow = CreateWindowExA(WS_EX_TOPMOST, SaverClassName, SaverCaption, WS_POPUP, r.Left, r.Top, r.Width(), r.Height(),
                            owner, nullptr, instance, static_cast<TBoardForm*>(this));
  if (!FWindow) return nullptr;
  ShowWindow(FWindow, SW_SHOW);
  UpdateWindow(FWindow);
  PostMessageA(FWindow, WM_SHOWGAME, 0, 0);
  return FWindow;
}

TSaverWindows::TSaverWindows(TApplication& app, const std::vector<TMonitor>& monitors)
    : FApp(app), FScreens(app, SaverOptions()) {
  for (const TMonitor& monitor : monitors) FForms.push_back(std::make_unique<TZepsScreenSaver>(app, FScreens, monitor));
  RememberPointer(FScreens);
}

bool TSaverWindows::Create(HINSTANCE instance, HWND owner) {
  for (const auto& form : FForms)
    if (!form->Create(instance, owner)) return false;
  return !FForms.empty();
}

int TSaverWindows::RunLoop(std::function<bool()> stillWanted) {
  // The loop ends with the first window to close; the others end with it.
  return RunMessageLoop(FApp, {[this] { FScreens.Present(); }, [this, wanted = std::move(stillWanted)] {
                                  for (const auto& form : FForms)
                                    if (!form->Handle() || !IsWindow(form->Handle())) return false;
                                  return !wanted || wanted();
                                }});
}

int TSaverWindows::Run(HINSTANCE instance, HWND owner, TApplication& app) {
  // The message box, like every window of ours, is owned by the hidden tool window: no task bar button.
  InstallApplicationHooks(app, owner);
  TSaverWindows windows(app, DesktopMonitors());
  if (!windows.Create(instance, owner)) return 1;
  return windows.RunLoop();
}

LRESULT TZepsScreenSaver::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    HANDLE_MSG(hwnd, WM_SETCURSOR, OnSetCursor);
    HANDLE_MSG(hwnd, WM_MOUSEMOVE, OnMouseMove);
    HANDLE_MSG(hwnd, WM_LBUTTONDOWN, OnButtonDown);
    HANDLE_MSG(hwnd, WM_RBUTTONDOWN, OnButtonDown);
    HANDLE_MSG(hwnd, WM_MBUTTONDOWN, OnButtonDown);
    HANDLE_MSG(hwnd, WM_KEYDOWN, OnKey);
    HANDLE_MSG(hwnd, WM_SYSKEYDOWN, OnKey);
    HANDLE_MSG(hwnd, WM_ACTIVATE, OnActivate);
    HANDLE_MSG(hwnd, WM_ACTIVATEAPP, OnActivateApp);
    case WM_XBUTTONDOWN:
      OnButtonDown(hwnd, FALSE, 0, 0, 0);
      return TRUE;  // an X button's message is answered with TRUE
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      OnButtonDown(hwnd, FALSE, 0, 0, 0);
      return 0;
    default:
      return TBoardForm::HandleMessage(hwnd, msg, wParam, lParam);
  }
}

void TZepsScreenSaver::OnShowGame(HWND hwnd) {
  if (FHost.Ended() || FHost.Simulator()) return;
  RememberPointer(FScreens);
  SetCursor(nullptr);
  const bool started = StartGame();
  if (const TDetonixSimulator* sim = FHost.Simulator()) {
    // For the debugger's output (and the tests that read it): what this monitor got.
    const TGameState& state = sim->State();
    const TMonitor& m = Monitor();
    char text[128];
    std::snprintf(text, sizeof text, "detonix saver: %dx%d cells of %d pixels on %dx%d at %d dpi\n", state.ColCount,
                  state.RowCount, state.CellSize, m.Bounds.Width(), m.Bounds.Height(), m.Dpi);
    OutputDebugStringA(text);
  }
  if (!started && FScreens.Ended()) {
    // Without a game there is nothing to show: say why once, then close, and the others with it.
    ShowWindow(hwnd, SW_HIDE);
    FApp.ShowMessage(FHost.Failure());
    DestroyWindow(hwnd);
  }
}

void TZepsScreenSaver::CloseIf(HWND hwnd, bool ended) {
  if (ended) DestroyWindow(hwnd);
}

BOOL TZepsScreenSaver::OnSetCursor(HWND hwnd, HWND cursorWindow, UINT codeHitTest, UINT msg) {
  if (codeHitTest == HTCLIENT) {
    SetCursor(nullptr);
    return TRUE;
  }
  return FORWARD_WM_SETCURSOR(hwnd, cursorWindow, codeHitTest, msg, DefWindowProcA);
}

void TZepsScreenSaver::OnMouseMove(HWND hwnd, int x, int y, UINT) {
  POINT now{x, y};
  ClientToScreen(hwnd, &now);
  CloseIf(hwnd, FScreens.PointerMoved(FIndex, now.x, now.y));
}

void TZepsScreenSaver::OnButtonDown(HWND hwnd, BOOL, int, int, UINT) { CloseIf(hwnd, FScreens.Click(FIndex)); }

void TZepsScreenSaver::OnKey(HWND hwnd, UINT, BOOL down, int, UINT) { CloseIf(hwnd, down && FScreens.Key(FIndex)); }

// Another program in front gets what the user types, so it ends the run as a key does. Our own
// windows (another monitor's, the message box) taking the activation do not.
void TZepsScreenSaver::OnActivate(HWND hwnd, UINT state, HWND other, BOOL minimized) {
  FORWARD_WM_ACTIVATE(hwnd, state, other, minimized, DefWindowProcA);  // the keyboard focus comes with it
  DWORD process = 0;
  if (other) GetWindowThreadProcessId(other, &process);
  CloseIf(hwnd, state == WA_INACTIVE && process != GetCurrentProcessId() && FScreens.Key(FIndex));
}

void TZepsScreenSaver::OnActivateApp(HWND hwnd, BOOL active, DWORD) { CloseIf(hwnd, !active && FScreens.Key(FIndex)); }

}  // namespace detonix::win32
