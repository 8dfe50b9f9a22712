#pragma once

#include <windows.h>

#include <memory>

#include "platform/Application.h"
#include "shell/win32/BoardForm.h"

namespace detonix::win32 {

// The live miniature inside the host's preview window: a child of exactly WS_CHILD |
// WS_CLIPSIBLINGS at (0, 0), the host window's size, cells of width div 14, silent. It takes no
// input, and ends the program when the host's window goes away.
class TPreviewForm final : public TBoardForm {
 public:
  static constexpr DWORD PreviewStyle = WS_CHILD | WS_CLIPSIBLINGS;
  static constexpr int ColumnsAcross = 14;

  TPreviewForm(TApplication& app, HWND parent) : TBoardForm(app), FParent(parent) {}

  // Creates the child window in the parent and starts the game; nothing when creation fails.
  HWND Create(HINSTANCE instance);
  // Runs until the host's window or ours is gone.
  static int Run(HINSTANCE instance, HWND parent, TApplication& app);

  // Cell size for a preview of this width; 0 when the window is too narrow for any board.
  static int CellSizeFor(int width) { return width > 0 ? width / ColumnsAcross : 0; }

 private:
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnDestroy(HWND hwnd);
  void OnShowGame(HWND hwnd);

  HWND FParent;
};

}  // namespace detonix::win32
