#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "engine/DetonixSim.h"
#include "platform/PaintSurface.h"
#include "shell/win32/WinHandles.h"

namespace detonix::win32 {

// The picture of a game window: a top-down 32-bit DIB section that the simulator draws into
// through a paint surface, and the simulator itself. The window presents what changed.
class TBoardView {
 public:
  // A black picture of the window's client size; an empty one when the size is 0.
  TBoardView(HWND window, int width, int height);
  ~TBoardView();
  TBoardView(const TBoardView&) = delete;
  TBoardView& operator=(const TBoardView&) = delete;

  // Creates the game on the picture. On failure the picture stays black and the reason is
  // given back (the simulator's message).
  bool StartGame(TApplication& app, const TSimulatorOptions& options, std::string& error);
  void StopGame() { FSimulator.reset(); }

  TDetonixSimulator* Simulator() const { return FSimulator.get(); }
  TPaintSurface* Surface() const { return FSurface.get(); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  // Copies the rectangles drawn since the last call to the window.
  void PresentChanges();
  // WM_PAINT: the whole board redrawn, then the asked-for part copied; black where there is no game.
  void Paint(HDC dc, const RECT& area);

 private:
  void Copy(HDC dc, const RECT& r);

  HWND FWindow;
  int FWidth;
  int FHeight;
  TMemoryDC FMemoryDC;
  TBitmapHandle FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
  void* FBits = nullptr;
  std::unique_ptr<TPaintSurface> FSurface;
  std::unique_ptr<TDetonixSimulator> FSimulator;
};

}  // namespace detonix::win32
