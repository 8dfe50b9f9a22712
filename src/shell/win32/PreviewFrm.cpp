#include "shell/win32/PreviewFrm.h"

#include "shell/win32/Win32Shell.h"

namespace detonix::win32 {

namespace {
constexpr const char* PreviewClassName = "TPreviewForm";
constexpr const char* PreviewCaption = "Preview";
}  // namespace

HWND TPreviewForm::Create(HINSTANCE instance) {
  if (!RegisterBoardClass(instance, PreviewClassName, 0, nullptr, LoadCursorA(nullptr, IDC_ARROW))) return nullptr;

  // The host's outer rectangle gives the size; (0, 0) is its client area's corner.
  RECT host{};
  if (!GetWindowRect(FParent, &host)) return nullptr;
  FWindow = CreateWindowExA(0, PreviewClassName, PreviewCaption, PreviewStyle, 0, 0, host.right - host.left,
                            host.bottom - host.top, FParent, nullptr, instance, static_cast<TBoardForm*>(this));
  if (!FWindow) return nullptr;
  ShowWindow(FWindow, SW_SHOWNA);
  return FWindow;
}

int TPreviewForm::Run(HINSTANCE instance, HWND parent, TApplication& app) {
  TWin32Shell shell(app, TRunMode::rmPreview, nullptr);
  TPreviewForm form(shell.Screens(), parent);
  if (!form.Create(instance)) return 1;
  // A host that is killed destroys nothing, so its window is watched as well as ours. A board
  // that cannot be made (a host narrower than 14 pixels, say) stays black and waits.
  shell.StillWanted = [parent] { return IsWindow(parent) != FALSE; };
  if (!shell.Screens().Start()) return 1;
  shell.Screens().Run();
  return 0;
}

}  // namespace detonix::win32
