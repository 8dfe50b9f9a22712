#include "shell/win32/BoardView.h"

#include <exception>

namespace detonix::win32 {

TBoardView::TBoardView(HWND window, int width, int height)
    : FWindow(window), FWidth(width > 0 ? width : 0), FHeight(height > 0 ? height : 0) {
  if (FWidth == 0 || FHeight == 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = FWidth;
  info.bmiHeader.biHeight = -FHeight;  // top row first, as the paint surface lays it out
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  FBitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &FBits, nullptr, 0));
  if (!FBitmap || !FBits) return;
  FMemoryDC.Reset(CreateCompatibleDC(nullptr));
  if (!FMemoryDC) return;
  FOldBitmap = SelectObject(FMemoryDC.Get(), FBitmap.Get());
  // A DIB section starts zeroed, which is the black of an empty board.
  FSurface = std::make_unique<TPaintSurface>(FBits, FWidth, FHeight, FWidth * 4);
}

TBoardView::~TBoardView() {
  FSimulator.reset();  // it draws on the surface, so it goes first
  FSurface.reset();
  if (FMemoryDC && FOldBitmap) SelectObject(FMemoryDC.Get(), FOldBitmap);
}

bool TBoardView::StartGame(TApplication& app, const TSimulatorOptions& options, std::string& error) {
  if (!FSurface) {
    error = "Invalid grid dimensions";
    return false;
  }
  try {
    FSimulator = std::make_unique<TDetonixSimulator>(app, *FSurface, options);
  } catch (const std::exception& e) {
    FSimulator.reset();
    FSurface->Canvas().Brush.Color = clBlack;
    FSurface->Canvas().FillRect(FSurface->Bitmap().Bounds());
    error = e.what();
    return false;
  }
  PresentChanges();
  return true;
}

void TBoardView::Copy(HDC dc, const RECT& r) {
  BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, FMemoryDC.Get(), r.left, r.top, SRCCOPY);
}

void TBoardView::PresentChanges() {
  if (!FSurface || !FSurface->HasChanges()) return;
  const std::vector<TRect> changed = FSurface->TakeChanged();
  GdiFlush();  // the DIB's bits must be complete before GDI reads them
  TWindowDC dc(FWindow);
  if (!dc.Get()) return;
  for (const TRect& r : changed) Copy(dc.Get(), RECT{r.Left, r.Top, r.Right, r.Bottom});
}

void TBoardView::Paint(HDC dc, const RECT& area) {
  if (!FSurface) {
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return;
  }
  if (FSimulator) FSimulator->DrawBoard();
  FSurface->TakeChanged();  // all of it goes out now
  GdiFlush();
  Copy(dc, area);
}

}  // namespace detonix::win32
