#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/GameHost.h"
#include "host/Monitor.h"

namespace detonix {

struct TScreensOptions {
  TRunMode Mode = TRunMode::rmSaver;
  std::function<TSettings()> ReadSettings;
  // Opens the one sound output every screen shares; asked once, only when sounds are on and a
  // screen can play them.
  std::function<std::shared_ptr<TSoundOutput>()> OpenSound;
  // The first screen's seed; each further screen plays the next one.
  std::optional<uint64_t> Seed;
  // Shows a message box the user answers (by default what the application showed messages with
  // before); where none may appear, messages go on the boards. LOG is told of every message.
  std::function<void(const std::string&)> ShowBox;
  std::function<void(const std::string&)> Log;
  // The shell's boxes stay in front of the full-screen saver (Windows' are top-most).
  bool BoxOverSaver = false;
};

// The games of one run, one per screen: for the full-screen saver a window on every monitor, each
// with cells and pointer rule at its own scale; otherwise one. Any input that ends one ends all.
// The shell brings the windows, their pixels and the loop.
class TSaverScreens {
 public:
  // The application's messages go through ShowMessage for as long as the group lives.
  TSaverScreens(TApplication& app, TScreensOptions options);
  ~TSaverScreens();
  TSaverScreens(const TSaverScreens&) = delete;  // the shells' windows hold its hosts
  TSaverScreens& operator=(const TSaverScreens&) = delete;

  // The game host of one more screen on MONITOR; it lives as long as the group.
  TGameHost& Add(const TMonitor& monitor);
  size_t Count() const { return FScreens.size(); }
  TGameHost& Host(size_t i) const { return *FScreens[i].Host; }
  const TMonitor& Monitor(size_t i) const { return FScreens[i].Monitor; }

  // A new game on screen I's pixels (as TGameHost::Build). When none can be made: in someone
  // else's window the reason is written on the black board, which waits for a size that fits; a
  // first board in the program's own window ends the run, and the shell says why.
  bool Build(size_t i, void* bits, int width, int height, int stride);

  // Where the pointer was when the saver started, in desktop pixels.
  void PointerStartsAt(int x, int y);
  // Input on screen I (desktop pixels); true when it has just ended the run, on every screen.
  bool PointerMoved(size_t i, int x, int y);
  bool Key(size_t i);
  bool Click(size_t i);
  void End();
  bool Ended() const;
  void Present();

  // A message in a box where the user can answer one (the program's own window; over the saver
  // where the shell's boxes stay in front); else written on every board but a preview's, too
  // small to read.
  void ShowMessage(const std::string& text);

 private:
  bool EndAllIf(bool ended);

  struct TScreen {
    TMonitor Monitor;
    std::unique_ptr<TGameHost> Host;
  };
  TApplication& FApp;
  TScreensOptions FOptions;
  std::function<void(const std::string&)> FPreviousMessages;
  std::shared_ptr<TSoundOutput> FSound;
  std::vector<TScreen> FScreens;
};

}  // namespace detonix
