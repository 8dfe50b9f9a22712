#include "shell/win32/MainFrm.h"

#include <windowsx.h>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "shell/win32/MessageLoop.h"
#include "shell/win32/StartUp.h"
#include "shell/win32/Win32Sound.h"

namespace detonix::win32 {

namespace {
constexpr const char* SaverCaption = "Detonix";

THostOptions SaverOptions() {
  THostOptions options;
  options.Mode = THostMode::hmSaver;
  options.ReadSettings = [] { return LoadSettings(*CreateUserSettingsStore()); };
  options.Sound = std::make_shared<TWin32SoundOutput>();
  return options;
}

void RememberPointer(TGameHost& host) {
  POINT p{};
  GetCursorPos(&p);
  host.PointerStartsAt(p.x, p.y);
}

}  // namespace

TZepsScreenSaver::TZepsScreenSaver(TApplication& app) : TBoardForm(app, SaverOptions()) {}

HWND TZepsScreenSaver::Create(HINSTANCE instance, HWND owner) {
  // The already-running check looks for this class; no pointer over the board.
  if (!RegisterBoardClass(instance, SaverClassName, CS_HREDRAW | CS_VREDRAW, LoadIconA(instance, MAKEINTRESOURCEA(1)),
                          nullptr))
    return nullptr;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  FWindow = CreateWindowExA(WS_EX_TOPMOST, SaverClassName, SaverCaption, WS_POPUP, 0, 0, width, height, owner,
                            nullptr, instance, static_cast<TBoardForm*>(this));
  if (!FWindow) return nullptr;
  ShowWindow(FWindow, SW_SHOW);
  UpdateWindow(FWindow);
  PostMessageA(FWindow, WM_SHOWGAME, 0, 0);
  return FWindow;
}

int TZepsScreenSaver::Run(HINSTANCE instance, HWND owner, TApplication& app) {
  InstallApplicationHooks(app, nullptr);
  TZepsScreenSaver form(app);
  const HWND hwnd = form.Create(instance, owner);
  if (!hwnd) return 1;
  return form.RunLoop([hwnd] { return IsWindow(hwnd) != 0; });
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
  if (!StartGame() && FHost.Ended()) {
    // Without a game there is nothing to show: say why once, then close.
    ShowWindow(hwnd, SW_HIDE);
    FApp.ShowMessage(FHost.Failure());
    DestroyWindow(hwnd);
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
  if (FHost.PointerMoved(now.x, now.y)) DestroyWindow(hwnd);
}

void TZepsScreenSaver::OnButtonDown(HWND hwnd, BOOL, int, int, UINT) {
  if (FHost.Click()) DestroyWindow(hwnd);
}

void TZepsScreenSaver::OnKey(HWND hwnd, UINT, BOOL down, int, UINT) {
  if (down && FHost.Key()) DestroyWindow(hwnd);
}

}  // namespace detonix::win32
