#pragma once

#include <windows.h>

#include <memory>

#include "platform/Application.h"
#include "shell/win32/BoardView.h"

namespace detonix::win32 {

// The live miniature inside the host's preview window: a child of exactly WS_CHILD |
// WS_CLIPSIBLINGS at (0, 0), the host window's size, cells of width div 14, silent. It takes no
// input, and ends the program when the host's window goes away.
class TPreviewForm {
 public:
  static constexpr DWORD PreviewStyle = WS_CHILD | WS_CLIPSIBLINGS;
  static constexpr int ColumnsAcross = 14;

  TPreviewForm(TApplication& app, HWND parent) : FApp(app), FParent(parent) {}
  // The game goes with the form, never with the window: the window can be destroyed while a game
  // handler runs (a host closing during ProcessMessages), and the game must outlive that handler.
  ~TPreviewForm();
  TPreviewForm(const TPreviewForm&) = delete;
  TPreviewForm& operator=(const TPreviewForm&) = delete;

  // Creates the child window in the parent and starts the game; nothing when creation fails.
  HWND Create(HINSTANCE instance);
  HWND Handle() const { return FWindow; }
  // Runs until the host's window or ours is gone.
  static int Run(HINSTANCE instance, HWND parent, TApplication& app);

  // Cell size for a preview of this width; 0 when the window is too narrow for any board.
  static int CellSizeFor(int width) { return width > 0 ? width / ColumnsAcross : 0; }

  TBoardView* Board() const { return FBoard.get(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  BOOL OnCreate(HWND hwnd, LPCREATESTRUCT create);
  void OnDestroy(HWND hwnd);
  void OnNCDestroy(HWND hwnd);
  void OnPaint(HWND hwnd);
  BOOL OnEraseBkgnd(HWND hwnd, HDC dc);
  void OnShowGame(HWND hwnd);

  TApplication& FApp;
  HWND FParent;
  HWND FWindow = nullptr;
  std::unique_ptr<TBoardView> FBoard;
};

}  // namespace detonix::win32
