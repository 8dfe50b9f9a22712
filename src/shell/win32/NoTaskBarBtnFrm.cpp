#include "shell/win32/NoTaskBarBtnFrm.h"

namespace detonix::win32 {

namespace {
constexpr const char* ApplicationClassName = "DetonixApplication";
}

TNoTaskBarButtonForm::TNoTaskBarButtonForm(HINSTANCE instance, const char* title) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = ApplicationClassName;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  FWindow.Reset(CreateWindowExA(0, ApplicationClassName, title, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                nullptr));
  if (!FWindow) return;
  LONG_PTR style = GetWindowLongPtrA(FWindow.Get(), GWL_EXSTYLE);
  style = (style & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW;
  SetWindowLongPtrA(FWindow.Get(), GWL_EXSTYLE, style);
}

}  // namespace detonix::win32
