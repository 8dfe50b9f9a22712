#pragma once

#include <windows.h>

#include <functional>

#include "platform/Application.h"

namespace detonix::win32 {

// What a window hosting a game adds to the message loop.
struct TLoopHooks {
  // Runs after timers and the idle event, to put what they drew on the screen.
  std::function<void()> Present;
  // Asked at least every WatchMs milliseconds (0: never); false ends the loop. A host that is
  // killed destroys nothing, so the loop asks whether its windows are still there.
  std::function<bool()> StillWanted;
  DWORD WatchMs = 250;
};

// Installs the application's message hooks: ProcessMessages pumps pending window messages once,
// ShowMessage is a modal message box owned by OWNER.
void InstallApplicationHooks(TApplication& app, HWND owner);

// The program's message loop: window messages, then the game host's loop step, then a wait for
// the next message or timer. Returns the exit code of WM_QUIT.
int RunMessageLoop(TApplication& app, const TLoopHooks& hooks);

}  // namespace detonix::win32
