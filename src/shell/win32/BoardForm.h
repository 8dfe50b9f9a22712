#pragma once

#include <windows.h>

#include <vector>

#include "host/SaverScreens.h"
#include "shell/win32/WinHandles.h"

namespace detonix::win32 {

// What the full-screen window and the preview share: a screen of the run, whose pixels are a
// top-down 32-bit DIB section made when the run asks for them; the window class and painting.
// A form with messages of its own handles them first and passes the rest on to HandleMessage.
class TBoardForm : public THostWindow {
 public:
  // Before the run goes: the game lets go of the pixels, then the window goes.
  ~TBoardForm() override;
  TBoardForm(const TBoardForm&) = delete;
  TBoardForm& operator=(const TBoardForm&) = delete;

  HWND Handle() const { return FWindow; }
  TGameHost& Host() const { return FScreens.Host(FIndex); }

  void PixelSize(int& width, int& height) override;
  TWindowPixels Pixels() override;
  void ReleasePixels() override;
  void Present(const std::vector<TRect>& changed) override;

 protected:
  // A new screen of SCREENS, on MONITOR; its window comes later.
  TBoardForm(TSaverScreens& screens, const TMonitor& monitor)
      : FScreens(screens), FIndex(screens.Add(*this, monitor)) {}

  // A window class whose windows are forms of this kind; registering it twice is no failure.
  static bool RegisterBoardClass(HINSTANCE instance, const char* name, UINT style, HICON icon, HCURSOR cursor);
  // The window procedure of both classes: finds the form attached at WM_NCCREATE.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  virtual LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  TSaverScreens& FScreens;
  const size_t FIndex;
  HWND FWindow = nullptr;

 private:
  TBitmapHandle FBitmap;
  TMemoryDC FMemoryDC;
  HGDIOBJ FOldBitmap = nullptr;
  void* FBits = nullptr;
  int FWidth = 0;
  int FHeight = 0;
};

}  // namespace detonix::win32
