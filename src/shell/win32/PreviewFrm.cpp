#include "shell/win32/PreviewFrm.h"

#include <windowsx.h>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "shell/win32/MessageLoop.h"

namespace detonix::win32 {

namespace {
constexpr const char* PreviewClassName = "TPreviewForm";
constexpr const char* PreviewCaption = "Preview";
constexpr UINT WM_SHOWGAME = WM_APP + 1;
}  // namespace

HWND TPreviewForm::Create(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = PreviewClassName;
  if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;

  // The host's outer rectangle gives the size; (0, 0) is its client area's corner.
  RECT host{};
  if (!GetWindowRect(FParent, &host)) return nullptr;
  FWindow = CreateWindowExA(0, PreviewClassName, PreviewCaption, PreviewStyle, 0, 0, host.right - host.left,
                            host.bottom - host.top, FParent, nullptr, instance, static_cast<TBoardForm*>(this));
  if (!FWindow) return nullptr;
  ShowWindow(FWindow, SW_SHOWNA);
  PostMessageA(FWindow, WM_SHOWGAME, 0, 0);
  return FWindow;
}

int TPreviewForm::Run(HINSTANCE instance, HWND parent, TApplication& app) {
  InstallApplicationHooks(app, nullptr);
  TPreviewForm form(app, parent);
  const HWND hwnd = form.Create(instance);
  if (!hwnd) return 1;
  // A host that is killed destroys nothing, so its window is watched as well as ours.
  return form.RunLoop([hwnd, parent] { return IsWindow(parent) && IsWindow(hwnd); });
}

LRESULT TPreviewForm::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
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

void TPreviewForm::OnShowGame(HWND) {
  if (!FBoard || FBoard->Simulator()) return;
  const int cellSize = CellSizeFor(FBoard->Width());
  // Too narrow for one cell: the preview stays black until the host goes away.
  if (cellSize <= 0) return;
  TSimulatorOptions options;
  options.Preview = true;
  options.CellSize = cellSize;
  options.Settings = LoadSettings(*CreateUserSettingsStore());
  std::string error;
  // A board that cannot be made also stays black: a message box from inside the host's
  // miniature would have no sensible place to appear.
  FBoard->StartGame(FApp, options, error);
}

void TPreviewForm::OnDestroy(HWND) { PostQuitMessage(0); }

}  // namespace detonix::win32
