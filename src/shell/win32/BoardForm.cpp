#include "shell/win32/BoardForm.h"

#include <windowsx.h>

namespace detonix::win32 {

TBoardForm::TBoardForm(TApplication& app, TSaverScreens& screens, const TMonitor& monitor)
    : FApp(app), FScreens(screens), FIndex(screens.Count()), FHost(screens.Add(monitor)) {
  FHost.OnBlit = [this](const std::vector<TRect>& changed) {
    if (!FWindow) return;  // GetDC(nullptr) would be the whole screen's
    GdiFlush();            // the DIB's bits must be complete before GDI reads them
    TWindowDC dc(FWindow);
    if (!dc.Get()) return;
    for (const TRect& r : changed) Blit(dc.Get(), r);
  };
}

TBoardForm::~TBoardForm() {
  if (FWindow && IsWindow(FWindow)) DestroyWindow(FWindow);
  FHost.Stop();
  if (FMemoryDC && FOldBitmap) SelectObject(FMemoryDC.Get(), FOldBitmap);
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
    HANDLE_MSG(hwnd, WM_CREATE, OnCreate);
    HANDLE_MSG(hwnd, WM_DESTROY, OnDestroy);
    HANDLE_MSG(hwnd, WM_NCDESTROY, OnNCDestroy);
    HANDLE_MSG(hwnd, WM_PAINT, OnPaint);
    HANDLE_MSG(hwnd, WM_ERASEBKGND, OnEraseBkgnd);
    case WM_SHOWGAME:
      OnShowGame(hwnd);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

bool TBoardForm::StartGame() { return FScreens.Build(FIndex, FBits, FWidth, FHeight, FWidth * 4); }

BOOL TBoardForm::OnCreate(HWND, LPCREATESTRUCT create) {
  if (create->cx <= 0 || create->cy <= 0) return TRUE;
  BITMAPINFO info{};  // top row first, as the paint surface lays it out
  info.bmiHeader = {sizeof info.bmiHeader, create->cx, -create->cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  FBitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!FBitmap || !bits) return TRUE;
  FMemoryDC.Reset(CreateCompatibleDC(nullptr));
  if (!FMemoryDC) return TRUE;
  FOldBitmap = SelectObject(FMemoryDC.Get(), FBitmap.Get());
  // A DIB section starts zeroed, which is the black of an empty board.
  FBits = bits;
  FWidth = create->cx;
  FHeight = create->cy;
  return TRUE;
}

void TBoardForm::OnDestroy(HWND) {
  FHost.End();
  PostQuitMessage(0);
}

void TBoardForm::OnNCDestroy(HWND hwnd) {
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  FWindow = nullptr;
}

void TBoardForm::Blit(HDC dc, const TRect& r) {
  BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), FMemoryDC.Get(), r.Left, r.Top, SRCCOPY);
}

void TBoardForm::OnPaint(HWND hwnd) {
  TPaintDC dc(hwnd);
  const RECT& area = dc.Paint.rcPaint;
  if (!FBits) {
    FillRect(dc.Get(), &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return;
  }
  if (FHost.Simulator()) FHost.Simulator()->DrawBoard();
  if (FHost.Surface()) FHost.Surface()->TakeChanged();  // all of it goes out now
  GdiFlush();
  Blit(dc.Get(), TRect{area.left, area.top, area.right, area.bottom});
}

BOOL TBoardForm::OnEraseBkgnd(HWND, HDC) { return TRUE; }  // the paint covers every pixel

}  // namespace detonix::win32
