#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <SDL.h>

#include "commandline/ShellOptions.h"
#include "host/SaverScreens.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "shell/sdl/Monitors.h"
#include "shell/sdl/RendererPicture.h"
#include "shell/sdl/SdlSoundOutput.h"
#include "shell/sdl/XWindow.h"
#include "shell/x11/XPicture.h"

namespace detonix::x11 {
class TEndWatch;
}

namespace detonix::sdl {

// One SDL window of the run and its pixels: X11's shared memory where it allows, a renderer's
// texture in a high-dpi window, else SDL's window surface (through a 32-bit copy where that is
// not XRGB).
class TSdlWindow final : public THostWindow {
 public:
  TSdlWindow(SDL_Window* window, size_t index, double pixelRatio) : Window(window), Index(index), PixelRatio(pixelRatio) {}
  ~TSdlWindow() override { ReleasePixels(); }
  TSdlWindow(const TSdlWindow&) = delete;
  TSdlWindow& operator=(const TSdlWindow&) = delete;

  void PixelSize(int& width, int& height) override { SDL_GetWindowSizeInPixels(Window, &width, &height); }
  TWindowPixels Pixels() override;
  void ReleasePixels() override;
  void Present(const std::vector<TRect>& changed) override;
  // The window could give no pixels: the run ends, unsuccessfully.
  bool NoPixels() const { return FNoPixels; }

  SDL_Window* const Window;
  const size_t Index;  // among the run's screens
  const double PixelRatio;  // the window's pixels per unit of its size and of the pointer's moves

 private:
  std::unique_ptr<x11::TXPicture> FShared;
  std::unique_ptr<TRendererPicture> FRendered;
  SDL_Surface* FShadow = nullptr;
  SDL_Surface* FWindowSurface = nullptr;  // the window's pixels, valid until the next size
  bool FNoPixels = false;
};

// The native program: an ordinary window, the full-screen saver (a window on every monitor) or a
// foreign X11 window (xscreensaver's, or its preview), SDL's events and the wait. The run does the rest.
class TSdlShell final : public THostShell {
 public:
  // MONITORS tells the full-screen saver where the monitors are, once SDL's video has started
  // (by default SdlMonitors).
  explicit TSdlShell(const commandline::TShellOptions& options, std::function<std::vector<TMonitor>()> monitors = {});
  ~TSdlShell() override;
  TSdlShell(const TSdlShell&) = delete;
  TSdlShell& operator=(const TSdlShell&) = delete;

  // Runs until the window closes; the exit status. The same as Open, then Loop.
  int Run();
  // Opens the windows and starts their games; false when that failed and the run is over.
  bool Open();
  // Runs the games until the windows close or input ends the saver; the exit status.
  int Loop();

  const std::vector<std::unique_ptr<TSdlWindow>>& Windows() const { return FWindows; }
  const TSaverScreens& Screens() const { return *FScreens; }

  bool HandleEvents() override;
  void Wait(std::optional<int64_t> ms) override;
  void ProcessMessages() override {
    SDL_PumpEvents();
    FPumped = true;
  }
  void ShowBox(const std::string& text) override;
  std::shared_ptr<TSoundOutput> MakeSound() override { return std::make_shared<TSdlSoundOutput>(); }

 private:
  bool OpenWindows();
  bool AddWindow(SDL_Window* window, const TMonitor& monitor);
  TSdlWindow* WindowOf(Uint32 windowId);
  void HandleEvent(const SDL_Event& event);
  // A window of the run was destroyed under us: the run ends, unsuccessfully where it was our own.
  void WindowGone(size_t index);
  bool Failed() const;
  bool Foreign() const { return FOptions.Mode == TRunMode::rmForeign || FOptions.Mode == TRunMode::rmPreview; }

  commandline::TShellOptions FOptions;
  std::function<std::vector<TMonitor>()> FMonitors;
  TRealClock FClock;
  TApplication FApp;
  bool FVideoStarted = false;
  std::vector<std::unique_ptr<TSdlWindow>> FWindows;
  std::unique_ptr<TSaverScreens> FScreens;  // gone with its sound before the windows and SDL
  std::unique_ptr<x11::TEndWatch> FWatch;  // ends the process when the loop cannot answer an end in time
  bool FQuit = false;
  bool FFailed = false;  // our own window was destroyed: the run ends, unsuccessfully
  bool FFocusLost = false;  // a window of ours lost the keyboard: see where it went
  // Each look at the queue reads the X connection: after a wait that ended without an event, none
  // is waiting, so the next turn goes straight to the timers.
  bool FLook = true;
  bool FPumped = false;  // SDL may have queued events since its queue was last read
  std::optional<x11::TXConnection> FX;  // where the X11 windows' events come from
};

}  // namespace detonix::sdl
