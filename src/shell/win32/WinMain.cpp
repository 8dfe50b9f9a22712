// detonix.scr: reads the screen-saver switch and runs that one mode.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Clock.h"
#include "settings/SettingsStore.h"
#include "shell/win32/ConfigurationFrm.h"
#include "shell/win32/MainFrm.h"
#include "shell/win32/NoTaskBarBtnFrm.h"
#include "shell/win32/PreviewFrm.h"
#include "shell/win32/SSPassword.h"
#include "shell/win32/StartUp.h"

namespace {

using namespace detonix;
using namespace detonix::win32;

// The full-screen saver or the preview: games on the real clock.
int RunGames(HINSTANCE instance, const TStartUp& startUp) {
  TRealClock clock;
  TApplication app(clock);
  app.Title = ApplicationTitle;
  if (startUp.Mode == TRunMode::rmPreview) return TPreviewForm::Run(instance, startUp.ParentWindow, app);
  TNoTaskBarButtonForm application(instance, ApplicationTitle);
  return TSaverWindows::Run(instance, application.Handle(), app, startUp.PreviousForegroundWindow);
}

// Owned by the window that asked for it, if any, else by our hidden one (no task bar button either way).
int RunConfigure(HINSTANCE instance, HWND asking) {
  TNoTaskBarButtonForm application(instance, ApplicationTitle);
  const auto store = CreateUserSettingsStore();
  TConfigurationForm form(*store);
  return form.ShowModal(instance, asking ? asking : application.Handle()) == -1 ? 1 : 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const TStartUp startUp = ParseCommandLine(std::vector<std::string>(__argv + 1, __argv + __argc));
  switch (startUp.Mode) {
    case TRunMode::rmSaver:
    case TRunMode::rmPreview:
      return RunGames(instance, startUp);
    case TRunMode::rmConfigure:
      return RunConfigure(instance, startUp.ParentWindow);
    case TRunMode::rmChangePassword:
      ChangePassword(startUp.ParentWindow);
      return 0;
    case TRunMode::rmNone:
    default:
      return 0;
  }
}
