#include "shell/win32/MainFrm.h"

#include <windowsx.h>

#include <cstdlib>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "shell/win32/MessageLoop.h"
#include "shell/win32/StartUp.h"
#include "shell/win32/Win32Sound.h"

namespace detonix::win32 {

namespace {
constexpr const char* SaverCaption = "Detonix";
constexpr int MoveTolerance = 20;
// Posted to itself once shown, so the game starts on the full-screen size, after creation.
constexpr UINT WM_SHOWGAME = WM_APP + 1;
}  // namespace

bool TZepsScreenSaver::MovedTooFar(POINT start, POINT now) {
  return std::abs(now.x - start.x) > MoveTolerance || std::abs(now.y - start.y) > MoveTolerance;
}

bool TZepsScreenSaver::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hCursor = nullptr;  // no pointer over the board
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = SaverClassName;
  return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND TZepsScreenSaver::Create(HINSTANCE instance, HWND owner) {
  if (!RegisterWindowClass(instance)) return nullptr;
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
    HANDLE_MSG(hwnd, WM_DESTROY, OnDestroy);
    HANDLE_MSG(hwnd, WM_NCDESTROY, OnNCDestroy);
    HANDLE_MSG(hwnd, WM_PAINT, OnPaint);
    HANDLE_MSG(hwnd, WM_ERASEBKGND, OnEraseBkgnd);
    HANDLE_MSG(hwnd, WM_SETCURSOR, OnSetCursor);
    HANDLE_MSG(hwnd, WM_MOUSEMOVE, OnMouseMove);
    HANDLE_MSG(hwnd, WM_LBUTTONDOWN, OnButtonDown);
    HANDLE_MSG(hwnd, WM_RBUTTONDOWN, OnButtonDown);
    HANDLE_MSG(hwnd, WM_MBUTTONDOWN, OnButtonDown);
    HANDLE_MSG(hwnd, WM_KEYDOWN, OnKey);
    HANDLE_MSG(hwnd, WM_SYSKEYDOWN, OnKey);
    case WM_SHOWGAME:
      OnShowGame(hwnd);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

BOOL TZepsScreenSaver::OnCreate(HWND hwnd, LPCREATESTRUCT create) {
  GetCursorPos(&FStartCursorPos);
  return TBoardForm::OnCreate(hwnd, create);
}

void TZepsScreenSaver::OnShowGame(HWND hwnd) {
  if (FClosing || FBoard->Simulator()) return;
  GetCursorPos(&FStartCursorPos);
  SetCursor(nullptr);
  TSimulatorOptions options;
  options.Preview = false;
  options.CellSize = -1;
  options.Settings = LoadSettings(*CreateUserSettingsStore());
  options.Sound = std::make_shared<TWin32SoundOutput>();
  std::string error;
  if (!FBoard->StartGame(FApp, options, error)) {
    // Without a game there is nothing to show: say why once, then close.
    FClosing = true;
    ShowWindow(hwnd, SW_HIDE);
    FApp.ShowMessage(error);
    DestroyWindow(hwnd);
  }
}

void TZepsScreenSaver::OnDestroy(HWND) {
  FClosing = true;
  PostQuitMessage(0);
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
  if (!FClosing && MovedTooFar(FStartCursorPos, now)) {
    FClosing = true;
    DestroyWindow(hwnd);
  }
}

void TZepsScreenSaver::OnButtonDown(HWND hwnd, BOOL, int, int, UINT) {
  if (FClosing) return;
  FClosing = true;
  DestroyWindow(hwnd);
}

void TZepsScreenSaver::OnKey(HWND hwnd, UINT, BOOL down, int, UINT) {
  if (!down || FClosing) return;
  FClosing = true;
  DestroyWindow(hwnd);
}

}  // namespace detonix::win32
