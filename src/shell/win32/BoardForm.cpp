#include "shell/win32/BoardForm.h"

#include "shell/win32/MessageLoop.h"
#include "shell/win32/WinHandles.h"

namespace detonix::win32 {

namespace {
// How often the loop asks whether the form is still wanted (a killed host destroys nothing).
constexpr DWORD WatchMs = 250;
}  // namespace

TBoardForm::~TBoardForm() {
  if (FWindow && IsWindow(FWindow)) DestroyWindow(FWindow);
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

int TBoardForm::RunLoop(std::function<bool()> stillWanted) {
  TLoopHooks hooks;
  hooks.Present = [this] {
    if (FBoard) FBoard->PresentChanges();
  };
  hooks.StillWanted = std::move(stillWanted);
  hooks.WatchMs = WatchMs;
  return RunMessageLoop(FApp, hooks);
}

BOOL TBoardForm::OnCreate(HWND hwnd, LPCREATESTRUCT create) {
  FBoard = std::make_unique<TBoardView>(hwnd, create->cx, create->cy);
  return TRUE;
}

void TBoardForm::OnNCDestroy(HWND hwnd) {
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  FWindow = nullptr;
}

void TBoardForm::OnPaint(HWND hwnd) {
  TPaintDC dc(hwnd);
  if (FBoard) FBoard->Paint(dc.Get(), dc.Paint.rcPaint);
}

BOOL TBoardForm::OnEraseBkgnd(HWND, HDC) { return TRUE; }  // the paint covers every pixel

}  // namespace detonix::win32
