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
  FWindow.Reset(CreateWindowExA(WS_EX_TOOLWINDOW, ApplicationClassName, title, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr));
}

}  // namespace detonix::win32
