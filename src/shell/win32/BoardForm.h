#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "platform/Application.h"
#include "shell/win32/BoardView.h"

namespace detonix::win32 {

// What the full-screen window and the preview share: one game's board on a window, the form
// attached to its window, painting, and the loop that runs the game. Each form keeps its own
// message table and passes the shared messages to the handlers here.
class TBoardForm {
 public:
  // The game goes with the form, never with the window: the window can be destroyed while a game
  // handler runs (a key or a closing host inside ProcessMessages), and the game must outlive it.
  virtual ~TBoardForm();
  TBoardForm(const TBoardForm&) = delete;
  TBoardForm& operator=(const TBoardForm&) = delete;

  HWND Handle() const { return FWindow; }
  TBoardView* Board() const { return FBoard.get(); }

 protected:
  explicit TBoardForm(TApplication& app) : FApp(app) {}

  // The window procedure of both classes: finds the form attached at WM_NCCREATE.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  virtual LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;

  // Runs the game until the window is gone or STILLWANTED (asked every 250 ms) says no.
  int RunLoop(std::function<bool()> stillWanted);

  BOOL OnCreate(HWND hwnd, LPCREATESTRUCT create);
  void OnNCDestroy(HWND hwnd);
  void OnPaint(HWND hwnd);
  BOOL OnEraseBkgnd(HWND hwnd, HDC dc);

  TApplication& FApp;
  HWND FWindow = nullptr;
  std::unique_ptr<TBoardView> FBoard;
};

}  // namespace detonix::win32
