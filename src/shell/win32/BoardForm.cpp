#include "shell/win32/BoardForm.h"

#include <string>

namespace detonix::win32 {

TBoardForm::~TBoardForm() {
  Host().ForgetWindow();
  if (FWindow && IsWindow(FWindow)) DestroyWindow(FWindow);
}

void TBoardForm::PixelSize(int& width, int& height) {
  RECT client{};
  GetClientRect(FWindow, &client);
  width = client.right;
  height = client.bottom;
}

TWindowPixels TBoardForm::Pixels() {
  ReleasePixels();
  int width = 0;
  int height = 0;
  PixelSize(width, height);
  BITMAPINFO info{};  // top row first, as the paint surface lays it out
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  FBitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &FBits, nullptr, 0));
  FMemoryDC.Reset(CreateCompatibleDC(nullptr));
  if (!FBitmap || !FBits || !FMemoryDC) {
    FScreens.ShowMessage("No picture for the window: Windows gave no bitmap of " + std::to_string(width) + " by " +
                         std::to_string(height) + " pixels (error " + std::to_string(GetLastError()) + ")");
    ReleasePixels();
    return {};
  }
  FOldBitmap = SelectObject(FMemoryDC.Get(), FBitmap.Get());
  FWidth = width;
  FHeight = height;
  return {FBits, width, height, width * 4};
}

void TBoardForm::ReleasePixels() {
  if (FMemoryDC && FOldBitmap) SelectObject(FMemoryDC.Get(), FOldBitmap);
  FOldBitmap = nullptr;
  FMemoryDC.Reset();
  FBitmap.Reset();
  FBits = nullptr;
}

void TBoardForm::Present(const std::vector<TRect>& changed) {
  if (!FWindow || !FMemoryDC) return;  // GetDC(nullptr) would be the whole screen's
  GdiFlush();  // the DIB's bits must be complete before GDI reads them
  const TWindowDC dc(FWindow);
  for (const TRect& r : changed)
    BitBlt(dc.Get(), r.Left, r.Top, r.Width(), r.Height(), FMemoryDC.Get(), r.Left, r.Top, SRCCOPY);
}

LRESULT CALLBACK TBoardForm::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<LPCREATESTRUCT>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TBoardForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return self->HandleMessage(hwnd, msg, wParam, lParam);
}

bool TBoardForm::RegisterBoardClass(HINSTANCE instance, const char* name, UINT style, HICON icon, HCURSOR cursor) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = cursor;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT TBoardForm::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      const TPaintDC dc(hwnd);
      // Black until the run has made the pixels; they cover every pixel from then on.
      if (FBits) FScreens.Exposed(FIndex);
      else FillRect(dc.Get(), &dc.Paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      return 0;
    }
    case WM_ERASEBKGND:
      return TRUE;
    case WM_SIZE:
      if (FBits && (LOWORD(lParam) != FWidth || HIWORD(lParam) != FHeight)) FScreens.Resized(FIndex);
      return 0;
    case WM_DESTROY:
      // The run ends, unless the window went with its monitor; the game stays until the loop's
      // end, for the window may go while a game handler runs (a host closing inside a pause).
      if (!FScreens.Removed(FIndex)) FScreens.End();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      FWindow = nullptr;
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace detonix::win32
