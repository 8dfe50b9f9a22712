#include "shell/win32/MainFrm.h"

#include <windowsx.h>

#include <cstdio>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "shell/win32/MessageLoop.h"
#include "shell/win32/StartUp.h"
#include "shell/win32/Win32Sound.h"

namespace detonix::win32 {

namespace {
constexpr const char* SaverCaption = "Detonix";

THostOptions SaverOptions(const TMonitor& monitor) {
  THostOptions options;
  options.Mode = THostMode::hmSaver;
  options.ReadSettings = [] { return LoadSettings(*CreateUserSettingsStore()); };
  options.Sound = std::make_shared<TWin32SoundOutput>();
  options.CellSize = SaverCellSize(monitor.Dpi);
  options.PointerTolerance = SaverPointerTolerance(monitor.Dpi);
  return options;
}

void RememberPointer(TGameHost& host) {
  POINT p{};
  GetCursorPos(&p);
  host.PointerStartsAt(p.x, p.y);
}

// The system's dots per inch: the one scale before Windows 8.1 knew one per monitor.
int SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : NativeDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : NativeDpi;
}

// GetDpiForMonitor (shcore.dll, Windows 8.1 and later); the system's dots per inch elsewhere.
int MonitorDpi(HMONITOR monitor) {
  using TGetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor = [] {
    const HMODULE shcore = LoadLibraryA("shcore.dll");  // kept for the life of the program
    return shcore ? reinterpret_cast<TGetDpiForMonitor>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  UINT x = 0;
  UINT y = 0;
  constexpr int EffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  if (getDpiForMonitor && getDpiForMonitor(monitor, EffectiveDpi, &x, &y) == S_OK && x > 0) return static_cast<int>(x);
  return SystemDpi();
}

}  // namespace

std::vector<TMonitor> DesktopMonitors() {
  std::vector<TMonitor> monitors;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM param) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoA(monitor, &info)) return TRUE;
        const RECT& r = info.rcMonitor;
        auto* list = reinterpret_cast<std::vector<TMonitor>*>(param);
        // The primary monitor first: its window is the one the tests and the system know best.
        const TMonitor m{TRect{r.left, r.top, r.right, r.bottom}, MonitorDpi(monitor)};
        if (info.dwFlags & MONITORINFOF_PRIMARY)
          list->insert(list->begin(), m);
        else
          list->push_back(m);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty())
    monitors.push_back({TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, SystemDpi()});
  return monitors;
}

TZepsScreenSaver::TZepsScreenSaver(TApplication& app, const TMonitor& monitor)
    : TBoardForm(app, SaverOptions(monitor)), FMonitor(monitor) {
  if (FMonitor.Bounds.IsEmpty())
    FMonitor.Bounds = TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

HWND TZepsScreenSaver::Create(HINSTANCE instance, HWND owner) {
  // The already-running check looks for this class; no pointer over the board.
  if (!RegisterBoardClass(instance, SaverClassName, CS_HREDRAW | CS_VREDRAW, LoadIconA(instance, MAKEINTRESOURCEA(1)),
                          nullptr))
    return nullptr;
  const TRect& r = FMonitor.Bounds;
  FWindow = CreateWindowExA(WS_EX_TOPMOST, SaverClassName, SaverCaption, WS_POPUP, r.Left, r.Top, r.Width(), r.Height(),
                            owner, nullptr, instance, static_cast<TBoardForm*>(this));
  if (!FWindow) return nullptr;
  ShowWindow(FWindow, SW_SHOW);
  UpdateWindow(FWindow);
  PostMessageA(FWindow, WM_SHOWGAME, 0, 0);
  return FWindow;
}

TSaverScreens::TSaverScreens(TApplication& app, const std::vector<TMonitor>& monitors) : FApp(app) {
  for (const TMonitor& monitor : monitors) {
    FForms.push_back(std::make_unique<TZepsScreenSaver>(app, monitor));
    // Any input ends every board: the loop ends with the first window, the others with it.
    FForms.back()->OnClose = [this] {
      for (const auto& form : FForms) form->Host().End();
    };
  }
}

bool TSaverScreens::Create(HINSTANCE instance, HWND owner) {
  for (const auto& form : FForms)
    if (!form->Create(instance, owner)) return false;
  return !FForms.empty();
}

int TSaverScreens::RunLoop(std::function<bool()> stillWanted) {
  TLoopHooks hooks;
  hooks.Present = [this] {
    for (const auto& form : FForms) form->Host().Present();
  };
  hooks.StillWanted = [this, wanted = std::move(stillWanted)] {
    for (const auto& form : FForms)
      if (!form->Handle() || !IsWindow(form->Handle())) return false;
    return !wanted || wanted();
  };
  hooks.WatchMs = 250;
  return RunMessageLoop(FApp, hooks);
}

int TZepsScreenSaver::Run(HINSTANCE instance, HWND owner, TApplication& app) {
  // The message box, like every window of ours, is owned by the hidden tool window: no task bar button.
  InstallApplicationHooks(app, owner);
  TSaverScreens screens(app, DesktopMonitors());
  if (!screens.Create(instance, owner)) return 1;
  return screens.RunLoop();
}

LRESULT TZepsScreenSaver::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    HANDLE_MSG(hwnd, WM_CREATE, OnCreate);
    HANDLE_MSG(hwnd, WM_SETCURSOR, OnSetCursor);
    HANDLE_MSG(hwnd, WM_MOUSEMOVE, OnMouseMove);
    HANDLE_MSG(hwnd, WM_LBUTTONDOWN, OnButtonDown);
    HANDLE_MSG(hwnd, WM_RBUTTONDOWN, OnButtonDown);
    HANDLE_MSG(hwnd, WM_MBUTTONDOWN, OnButtonDown);
    HANDLE_MSG(hwnd, WM_KEYDOWN, OnKey);
    HANDLE_MSG(hwnd, WM_SYSKEYDOWN, OnKey);
    default:
      return TBoardForm::HandleMessage(hwnd, msg, wParam, lParam);
  }
}

BOOL TZepsScreenSaver::OnCreate(HWND hwnd, LPCREATESTRUCT create) {
  RememberPointer(FHost);
  return TBoardForm::OnCreate(hwnd, create);
}

void TZepsScreenSaver::OnShowGame(HWND hwnd) {
  if (FHost.Ended() || FHost.Simulator()) return;
  RememberPointer(FHost);
  SetCursor(nullptr);
  const bool started = StartGame();
  if (const TDetonixSimulator* sim = FHost.Simulator()) {
    // For the debugger's output (and the tests that read it): what this monitor got.
    const TGameState& state = sim->State();
    char text[128];
    std::snprintf(text, sizeof text, "detonix saver: %dx%d cells of %d pixels on %dx%d at %d dpi\n", state.ColCount,
                  state.RowCount, state.CellSize, FMonitor.Bounds.Width(), FMonitor.Bounds.Height(), FMonitor.Dpi);
    OutputDebugStringA(text);
  }
  if (!started && FHost.Ended()) {
    // Without a game there is nothing to show: say why once, then close, and the others with it.
    if (OnClose) OnClose();
    ShowWindow(hwnd, SW_HIDE);
    FApp.ShowMessage(FHost.Failure());
    DestroyWindow(hwnd);
  }
}

void TZepsScreenSaver::Close(HWND hwnd) {
  if (OnClose) OnClose();
  DestroyWindow(hwnd);
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
  if (FHost.PointerMoved(now.x, now.y)) Close(hwnd);
}

void TZepsScreenSaver::OnButtonDown(HWND hwnd, BOOL, int, int, UINT) {
  if (FHost.Click()) Close(hwnd);
}

void TZepsScreenSaver::OnKey(HWND hwnd, UINT, BOOL down, int, UINT) {
  if (down && FHost.Key()) Close(hwnd);
}

}  // namespace detonix::win32
