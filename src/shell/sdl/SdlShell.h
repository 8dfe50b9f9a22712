#pragma once

#include <memory>

#include <SDL.h>

#include "engine/DetonixSim.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/PaintSurface.h"
#include "shell/sdl/ShellOptions.h"

namespace detonix::sdl {

// The native program's window, in one of the drawing modes: an ordinary window, the full-screen
// saver, or a foreign X11 window (xscreensaver's, or its preview). It hosts one simulator on
// the window's own pixels, runs the timer queue and presents only what changed.
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
  void HandleWindowEvent(const SDL_WindowEvent& event);
  void Present();
  void PresentAll();
  void ShowMessage(const std::string& text);
  bool ClosesOnInput() const { return FOptions.Mode == TShellMode::smFullScreen; }
  bool Foreign() const { return FOptions.Mode == TShellMode::smForeignWindow || FOptions.Mode == TShellMode::smPreview; }

  TShellOptions FOptions;
  TRealClock FClock;
  TApplication FApp;
  bool FVideoStarted = false;
  SDL_Window* FWindow = nullptr;
  std::shared_ptr<TSoundOutput> FSound;
  std::unique_ptr<TPaintSurface> FSurface;
  // When the window's pixels are not 32-bit XRGB, the game draws into FSurface's own pixels
  // and this view of them is converted onto the window.
  SDL_Surface* FShadow = nullptr;
  SDL_Surface* FWindowSurface = nullptr;  // the window's pixels, valid until the next size
  std::unique_ptr<TDetonixSimulator> FSim;
  int FStartX = 0;
  int FStartY = 0;
  bool FQuit = false;
  bool FSizeChanged = false;
  bool FFirstGame = true;
  int FStatus = 0;
};

}  // namespace detonix::sdl
