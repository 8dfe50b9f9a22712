#pragma once

#include <windows.h>

#include "host/SaverScreens.h"
#include "platform/Application.h"
#include "shell/win32/WinHandles.h"

namespace detonix::win32 {

// What the full-screen window and the preview share: a game of the run's screens on the window's
// pixels (a top-down 32-bit DIB section), the window class, painting, the start of the game and the loop.
// A form with messages of its own handles them first and passes the rest on to HandleMessage.
class TBoardForm {
 public:
  // The game goes with the screens, never with the window: the window can be destroyed while a
  // game handler runs (a key or a closing host inside ProcessMessages), and the game must outlive it.
  virtual ~TBoardForm();
  TBoardForm(const TBoardForm&) = delete;
  TBoardForm& operator=(const TBoardForm&) = delete;

  HWND Handle() const { return FWindow; }
  TGameHost& Host() { return FHost; }

 protected:
  // Posted to itself once shown, so the game starts at the window's final size, after creation.
  static constexpr UINT WM_SHOWGAME = WM_APP + 1;

  // The window of a new screen of SCREENS, on MONITOR.
  TBoardForm(TApplication& app, TSaverScreens& screens, const TMonitor& monitor);

  // A window class whose windows are forms of this kind; registering it twice is no failure.
  static bool RegisterBoardClass(HINSTANCE instance, const char* name, UINT style, HICON icon, HCURSOR cursor);
  // The window procedure of both classes: finds the form attached at WM_NCCREATE.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  virtual LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void OnShowGame(HWND hwnd) = 0;

  // The game on the window's pixels; false, with the picture black, when no board can be made.
  bool StartGame();

  BOOL OnCreate(HWND hwnd, LPCREATESTRUCT create);
  // The program ends with its window.
  void OnDestroy(HWND hwnd);
  void OnNCDestroy(HWND hwnd);
  void OnPaint(HWND hwnd);
  BOOL OnEraseBkgnd(HWND hwnd, HDC dc);

  TApplication& FApp;
  TSaverScreens& FScreens;
  const size_t FIndex;
  HWND FWindow = nullptr;

 private:
  void Blit(HDC dc, const TRect& r);

  // Declared before the host, which draws into them, so they outlive it.
  TBitmapHandle FBitmap;
  TMemoryDC FMemoryDC;
  HGDIOBJ FOldBitmap = nullptr;
  void* FBits = nullptr;
  int FWidth = 0;
  int FHeight = 0;

 protected:
  TGameHost& FHost;
};

}  // namespace detonix::win32
