#pragma once

#include <windows.h>

#include <functional>

#include "host/SaverScreens.h"

namespace detonix::win32 {

// What the Windows program does for a run of MODE: the thread's message queue, the wait, the
// message box and the sound. The run (Screens) does the rest.
class TWin32Shell final : public THostShell {
 public:
  // The message boxes are owned by OWNER (none: by nobody).
  TWin32Shell(TApplication& app, TRunMode mode, HWND owner);
  TSaverScreens& Screens() { return FScreens; }

  // Asked on every turn, at least every WatchMs; false ends the run. A host that is killed
  // destroys nothing, so the preview asks whether the host's window is still there.
  std::function<bool()> StillWanted;
  static constexpr DWORD WatchMs = 250;
  // Called once the waiting events are handled: what they asked of the windows that cannot be
  // done inside a window's own message, such as closing it.
  std::function<void()> AfterEvents;
  const HWND Owner;

  bool HandleEvents() override;
  bool EventWaiting() override;
  void Wait(std::optional<int64_t> ms) override;
  void ProcessMessages() override;
  void ShowBox(const std::string& text) override;
  bool BoxOverSaver() const override { return true; }  // top-most
  std::shared_ptr<TSoundOutput> MakeSound() override;

 private:
  TApplication& FApp;
  TSaverScreens FScreens;
};

}  // namespace detonix::win32
