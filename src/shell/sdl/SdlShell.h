#pragma once

#include <memory>
#include <vector>

#include <SDL.h>

#include "host/GameHost.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "shell/sdl/ShellOptions.h"

namespace detonix::sdl {

class TEndWatch;

// The native program's window, in one of the drawing modes: an ordinary window, the full-screen
// saver, or a foreign X11 window (xscreensaver's, or its preview). The game host runs the game on
// the window's own pixels; this adds the window, SDL's events, the blit and the wait.
class TSdlShell {
 public:
  explicit TSdlShell(const TShellOptions& options);
  ~TSdlShell();
  TSdlShell(const TSdlShell&) = delete;
  TSdlShell& operator=(const TSdlShell&) = delete;

  // Runs until the window closes; the exit status.
  int Run();

 private:
  bool Open();
  void StartGame();
  void StopGame();
  void HandleEvent(const SDL_Event& event);
  void Blit(const std::vector<TRect>& changed);
  void ShowMessage(const std::string& text);
  bool Foreign() const { return FOptions.Mode == TShellMode::smForeignWindow || FOptions.Mode == TShellMode::smPreview; }

  TShellOptions FOptions;
  TRealClock FClock;
  TApplication FApp;
  bool FVideoStarted = false;
  SDL_Window* FWindow = nullptr;
  std::unique_ptr<TGameHost> FHost;
  // When the window's pixels are not 32-bit XRGB, the game draws into these and they are
  // converted onto the window.
  SDL_Surface* FShadow = nullptr;
  SDL_Surface* FWindowSurface = nullptr;  // the window's pixels, valid until the next size
  std::unique_ptr<TEndWatch> FWatch;  // ends the process when the loop cannot answer an end in time
  bool FQuit = false;
  bool FSizeChanged = false;
};

}  // namespace detonix::sdl
