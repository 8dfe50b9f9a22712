#pragma once

#include <windows.h>

#include <memory>

#include "platform/Application.h"
#include "shell/win32/BoardForm.h"

namespace detonix::win32 {

// The full-screen saver: a borderless black window of the primary screen's size, the pointer
// hidden over it. The first key, click, or mouse movement of more than 20 pixels on either axis
// from where the pointer was when it was shown closes it.
class TZepsScreenSaver final : public TBoardForm {
 public:
  explicit TZepsScreenSaver(TApplication& app);

  // Creates and shows the window, owned by OWNER, and starts the game; nothing when creation fails.
  HWND Create(HINSTANCE instance, HWND owner);

  // Runs the game until the window closes.
  static int Run(HINSTANCE instance, HWND owner, TApplication& app);

 private:
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  // Remembers where the pointer is, so a movement can be measured from the start.
  BOOL OnCreate(HWND hwnd, LPCREATESTRUCT create);
  BOOL OnSetCursor(HWND hwnd, HWND cursorWindow, UINT codeHitTest, UINT msg);
  void OnMouseMove(HWND hwnd, int x, int y, UINT keyFlags);
  void OnButtonDown(HWND hwnd, BOOL doubleClick, int x, int y, UINT keyFlags);
  void OnKey(HWND hwnd, UINT vk, BOOL down, int repeat, UINT flags);
  void OnShowGame(HWND hwnd) override;
};

}  // namespace detonix::win32
