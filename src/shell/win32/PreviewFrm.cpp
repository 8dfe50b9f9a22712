#include "shell/win32/PreviewFrm.h"

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "shell/win32/MessageLoop.h"

namespace detonix::win32 {

namespace {
constexpr const char* PreviewClassName = "TPreviewForm";
constexpr const char* PreviewCaption = "Preview";
}  // namespace

TScreensOptions TPreviewForm::PreviewOptions() {
  TScreensOptions options;
  options.Mode = TRunMode::rmPreview;
  options.ReadSettings = [] { return LoadSettings(*CreateUserSettingsStore()); };
  return options;
}

TPreviewForm::TPreviewForm(TApplication& app, TSaverScreens& screens, HWND parent)
    : TBoardForm(app, screens, TMonitor{}), FParent(parent) {}

HWND TPreviewForm::Create(HINSTANCE instance) {
  if (!RegisterBoardClass(instance, PreviewClassName, 0, nullptr, LoadCursorA(nullptr, IDC_ARROW))) return nullptr;

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
  TSaverScreens screens(app, PreviewOptions());
  TPreviewForm form(app, screens, parent);
  const HWND hwnd = form.Create(instance);
  if (!hwnd) return 1;
  // A host that is killed destroys nothing, so its window is watched as well as ours.
  return RunMessageLoop(app, {[&screens] { screens.Present(); },
                              [hwnd, parent] { return IsWindow(parent) && IsWindow(hwnd); }});
}

void TPreviewForm::OnShowGame(HWND) {
  if (FHost.Simulator()) return;
  // A board that cannot be made (a host narrower than 14 pixels, say) stays black: a message
  // box from inside the host's miniature would have no sensible place to appear.
  StartGame();
}

}  // namespace detonix::win32
