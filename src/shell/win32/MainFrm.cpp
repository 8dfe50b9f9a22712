#include "shell/win32/MainFrm.h"

#include <windowsx.h>

#include <cstdio>
#include <string>

#include "shell/win32/Monitors.h"
#include "shell/win32/StartUp.h"

namespace detonix::win32 {

namespace {
constexpr const char* SaverCaption = "Detonix";
}  // namespace

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
  return FWindow;
}

TSaverWindows::TSaverWindows(TApplication& app, const std::vector<TMonitor>& monitors, HWND owner)
    : FShell(app, TRunMode::rmSaver, owner) {
  for (const TMonitor& monitor : monitors)
    FForms.push_back(std::make_unique<TZepsScreenSaver>(FShell.Screens(), monitor));
}

bool TSaverWindows::Start(HINSTANCE instance) {
  TSaverScreens& screens = FShell.Screens();
  POINT pointer{};
  GetCursorPos(&pointer);
  screens.PointerStartsAt(pointer.x, pointer.y);
  for (const auto& form : FForms)
    if (!form->Create(instance, FShell.Owner)) return false;
  SetCursor(nullptr);
  const bool started = screens.Start();
  std::string failure;
  for (const auto& form : FForms) {
    if (const TDetonixSimulator* sim = form->Host().Simulator()) {
      // For the debugger's output (and the tests that read it): what this monitor got.
      const TGameState& state = sim->State();
      const TMonitor& m = form->Monitor();
      char text[128];
      std::snprintf(text, sizeof text, "detonix saver: %dx%d cells of %d pixels on %dx%d at %d dpi\n", state.ColCount,
                    state.RowCount, state.CellSize, m.Bounds.Width(), m.Bounds.Height(), m.Dpi);
      OutputDebugStringA(text);
    }
    if (!started) ShowWindow(form->Handle(), SW_HIDE);
    if (failure.empty()) failure = form->Host().Failure();
  }
  // Without a game there is nothing to show: say why once; the run is over. A window that gave no
  // pixels has said why.
  if (!started && !failure.empty()) screens.ShowMessage(failure);
  return started || !failure.empty();
}

int TSaverWindows::Run(HINSTANCE instance, HWND owner, TApplication& app) {
  TSaverWindows windows(app, DesktopMonitors(), owner);
  if (!windows.Start(instance)) return 1;
  windows.Shell().Screens().Run();
  return 0;
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
  FScreens.PointerMoved(FIndex, now.x, now.y);
}

void TZepsScreenSaver::OnButtonDown(HWND, BOOL, int, int, UINT) { FScreens.Click(FIndex); }

void TZepsScreenSaver::OnKey(HWND, UINT, BOOL down, int, UINT) {
  if (down) FScreens.Key(FIndex);
}

// Another program in front gets what the user types, so it ends the run as a key does. Our own
// windows (another monitor's, the message box) taking the activation do not.
void TZepsScreenSaver::OnActivate(HWND hwnd, UINT state, HWND other, BOOL minimized) {
  FORWARD_WM_ACTIVATE(hwnd, state, other, minimized, DefWindowProcA);  // the keyboard focus comes with it
  DWORD process = 0;
  if (other) GetWindowThreadProcessId(other, &process);
  if (state == WA_INACTIVE && process != GetCurrentProcessId()) FScreens.Key(FIndex);
}

void TZepsScreenSaver::OnActivateApp(HWND, BOOL active, DWORD) {
  if (!active) FScreens.Key(FIndex);
}

}  // namespace detonix::win32
