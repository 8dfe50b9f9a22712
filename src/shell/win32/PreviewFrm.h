#pragma once

#include <windows.h>

#include "platform/Application.h"
#include "shell/win32/BoardForm.h"

namespace detonix::win32 {

// The live miniature inside the host's preview window: a child of exactly WS_CHILD |
// WS_CLIPSIBLINGS at (0, 0), the host window's size, the one screen of a preview's run (its
// cells, no sound). It takes no input, and ends the run when the host's window goes away.
class TPreviewForm final : public TBoardForm {
 public:
  static constexpr DWORD PreviewStyle = WS_CHILD | WS_CLIPSIBLINGS;

  TPreviewForm(TSaverScreens& screens, HWND parent) : TBoardForm(screens, TMonitor{}), FParent(parent) {}

  // Creates the child window in the parent; nothing when creation fails.
  HWND Create(HINSTANCE instance);
  // Runs until the host's window or ours is gone.
  static int Run(HINSTANCE instance, HWND parent, TApplication& app);

 private:
  HWND FParent;
};

}  // namespace detonix::win32
