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

namespace detonix::sdl {

class TEndWatch;

// The native program's windows, in one of the drawing modes: an ordinary window, the full-screen
// saver (a window on every monitor, each with a game of its own), or a foreign X11 window
// (xscreensaver's, or its preview). The run's screens play the games on the windows' own pixels;
// this adds the windows, SDL's events, the blit and the wait.
class TSdlShell {
 public:
  // MONITORS tells the full-screen saver where the monitors are, once SDL's video has started
  // (by default SdlMonitors).
  explicit TSdlShell(const commandline::TShellOptions& options, std::function<std::vector<TMonitor>()> monitors = {});
  ~TSdlShell();
  TSdlShell(const TSdlShell&) = delete;
  TSdlShell& operator=(const TSdlShell&) = delete;

  // Runs until the window closes; the exit status. The same as Open, then Loop.
  int Run();
  // Opens the windows and starts their games; false when that failed and the run is over.
  bool Open();
  // Runs the games until the windows close or input ends the saver; the exit status.
  int Loop();

  // One game in one window.
  struct TScreen {
    SDL_Window* Window = nullptr;
    size_t Index = 0;  // among the run's screens
    TGameHost* Host = nullptr;
    // When the window's pixels are not 32-bit XRGB, the game draws into these and they are
    // converted onto the window.
    SDL_Surface* Shadow = nullptr;
    SDL_Surface* WindowSurface = nullptr;  // the window's pixels, valid until the next size
    double PixelRatio = 1;  // the window's pixels per unit of its size and of the pointer's moves
    std::unique_ptr<TXSharedPicture> Shared{};  // instead of the window surface, where X11 allows
    std::unique_ptr<TRendererPicture> Rendered{};  // instead of it in a high-dpi window
    bool SizeChanged = false;
  };
  const std::vector<std::unique_ptr<TScreen>>& Screens() const { return FScreens; }

 private:
  bool OpenWindows();
  bool AddScreen(SDL_Window* window, const TMonitor& monitor);
  void StartGame(TScreen& screen);
  void StopGame(TScreen& screen);
  // SDL's pixels of the window, or where they are not XRGB a copy to convert from; nothing on failure.
  SDL_Surface* SurfaceToDrawInto(TScreen& screen);
  TScreen* ScreenOf(Uint32 windowId);
  void HandleEvent(const SDL_Event& event);
  void Blit(TScreen& screen, const std::vector<TRect>& changed);
  // A window of the run was destroyed under us: the run ends, unsuccessfully where it was our own.
  void WindowGone();
  bool Ended() const;
  bool Foreign() const { return FOptions.Mode == TRunMode::rmForeign || FOptions.Mode == TRunMode::rmPreview; }

  commandline::TShellOptions FOptions;
  std::function<std::vector<TMonitor>()> FMonitors;
  TRealClock FClock;
  TApplication FApp;
  bool FVideoStarted = false;
  std::unique_ptr<TSaverScreens> FGroup;  // gone with its sound before SDL
  std::vector<std::unique_ptr<TScreen>> FScreens;
  std::weak_ptr<TSdlSoundOutput> FSound;  // owned by the group
  std::unique_ptr<TEndWatch> FWatch;  // ends the process when the loop cannot answer an end in time
  bool FQuit = false;
  bool FFailed = false;  // a window got no pixels or was destroyed: the run ends, unsuccessfully
  bool FFocusLost = false;  // a window of ours lost the keyboard: see where it went
  // Where the pointer was at start is unknown until it first shows (Wayland): the saver's
  // pointer rule then measures from there.
  bool FPointerStartPending = false;
};

}  // namespace detonix::sdl
