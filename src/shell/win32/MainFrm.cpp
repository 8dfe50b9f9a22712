#include "shell/win32/MainFrm.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "shell/win32/Monitors.h"
#include "shell/win32/StartUp.h"

namespace detonix::win32 {

namespace {
constexpr const char* SaverCaption = "Detonix";
}  // namespace

TZepsScreenSaver::TZepsScreenSaver(TSaverWindows& windows, const TMonitor& monitor)
    : TBoardForm(windows.Shell().Screens(), monitor), FWindows(windows) {}

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

void TZepsScreenSaver::Place() {
  const TRect& r = Monitor().Bounds;
  SetWindowPos(FWindow, HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(), SWP_NOACTIVATE);
}

TSaverWindows::TSaverWindows(TApplication& app, const std::vector<TMonitor>& monitors, HWND owner)
    : FShell(app, TRunMode::rmSaver, owner) {
  for (const TMonitor& monitor : monitors) FForms.push_back(std::make_unique<TZepsScreenSaver>(*this, monitor));
}

bool TSaverWindows::Start(HINSTANCE instance) {
  FInstance = instance;
  TSaverScreens& screens = FShell.Screens();
  POINT pointer{};
  GetCursorPos(&pointer);
  screens.PointerStartsAt(pointer.x, pointer.y);
  for (const auto& form : FForms)
    if (!form->Create(instance, FShell.Owner)) return false;
  SetCursor(nullptr);
  FShell.AfterEvents = [this] {
    ReportBoards();  // the boards the last turn made; a change's new boards come next turn
    if (std::exchange(FDesktopChanged, false)) FollowMonitors(DesktopMonitors());
  };
  const bool started = screens.Start();
  ReportBoards();
  return started;
}

void TSaverWindows::FollowMonitors(const std::vector<TMonitor>& monitors) {
  TSaverScreens& screens = FShell.Screens();
  const TSaverScreens::TMonitorChanges changes = screens.MonitorsChanged(monitors);
  const auto gone = [&screens](const auto& form) { return screens.Removed(form->Index()); };
  // The window that goes may have the keyboard: another of ours takes it first, or the system
  // would hand it to another program, which ends the run.
  const auto active = std::find_if(FForms.begin(), FForms.end(), [](const auto& f) { return f->Handle() == GetActiveWindow(); });
  const auto kept = std::find_if_not(FForms.begin(), FForms.end(), gone);
  if (active != FForms.end() && gone(*active) && kept != FForms.end()) SetForegroundWindow((*kept)->Handle());
  std::erase_if(FForms, gone);
  for (const auto& form : FForms)
    if (std::find(changes.Changed.begin(), changes.Changed.end(), form->Index()) != changes.Changed.end()) form->Place();
  for (const TMonitor& monitor : changes.Added) {
    TZepsScreenSaver& form = *FForms.emplace_back(std::make_unique<TZepsScreenSaver>(*this, monitor));
    if (form.Create(FInstance, FShell.Owner)) {
      screens.Build(form.Index());
    } else {
      screens.Remove(form.Index());
      FForms.pop_back();
    }
  }
}

void TSaverWindows::ReportBoards() {
  for (const auto& form : FForms) {
    const TDetonixSimulator* sim = form->Host().Simulator();
    if (!sim) continue;
    const TGameState& state = sim->State();
    const TMonitor& m = form->Monitor();
    char text[160];
    std::snprintf(text, sizeof text, "detonix saver: %dx%d cells of %d pixels on %dx%d at %d dpi\n", state.ColCount,
                  state.RowCount, state.CellSize, m.Bounds.Width(), m.Bounds.Height(), m.Dpi);
    if (form->Reported == text) continue;
    form->Reported = text;
    OutputDebugStringA(text);
  }
}

int TSaverWindows::Run(HINSTANCE instance, HWND owner, TApplication& app, HWND previous) {
  bool byInput = false;
  {
    TSaverWindows windows(app, DesktopMonitors(), owner);
    if (!windows.Start(instance)) return 1;
    windows.Shell().Screens().Run();
    byInput = windows.EndedByInput();
  }
  // Handed back only after the user's own input: a program that came to the front keeps it.
  if (byInput && previous) SetForegroundWindow(previous);
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
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
      FWindows.DesktopChanged();
      return 0;
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
  FWindows.TookInput(FScreens.PointerMoved(FIndex, now.x, now.y));
}

void TZepsScreenSaver::OnButtonDown(HWND, BOOL, int, int, UINT) { FWindows.TookInput(FScreens.Click(FIndex)); }

void TZepsScreenSaver::OnKey(HWND, UINT, BOOL down, int, UINT) {
  if (down) FWindows.TookInput(FScreens.Key(FIndex));
}

// Another program in front takes the keyboard, which ends the run, though not as the user's input
// does: that program keeps the front. Our own windows (another monitor's, the message box) taking
// the activation do not.
void TZepsScreenSaver::OnActivate(HWND hwnd, UINT state, HWND other, BOOL minimized) {
  FORWARD_WM_ACTIVATE(hwnd, state, other, minimized, DefWindowProcA);  // the keyboard focus comes with it
  DWORD process = 0;
  if (other) GetWindowThreadProcessId(other, &process);
  if (state == WA_INACTIVE && process != GetCurrentProcessId()) FScreens.KeyboardTaken();
}

void TZepsScreenSaver::OnActivateApp(HWND, BOOL active, DWORD) {
  if (!active) FScreens.KeyboardTaken();
}

}  // namespace detonix::win32
