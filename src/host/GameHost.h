#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/DetonixSim.h"
#include "host/HostWindow.h"
#include "host/RunMode.h"
#include "platform/Application.h"
#include "platform/PaintSurface.h"

namespace detonix {

// The saver ends on a pointer movement beyond the tolerance on either axis from where it started;
// each axis counts by itself, and exactly the tolerance does not end it.
constexpr bool MovedBeyondTolerance(int startX, int startY, int x, int y, int tolerance = PointerTolerance) {
  const int dx = x > startX ? x - startX : startX - x;
  const int dy = y > startY ? y - startY : startY - y;
  return dx > tolerance || dy > tolerance;
}

// A scale chosen for a large monitor may leave a small one too few cells: the largest cell size up
// to CELLSIZE (-1: the pictures' own) that gives a board of WIDTH by HEIGHT pixels room, never below
// the pictures' own.
int FitCellSize(int width, int height, int cellSize);

// The preview's cells; 0 when it is narrower than PreviewColumns.
constexpr int PreviewCellSize(int width) { return width > 0 ? width / PreviewColumns : 0; }

// One turn of a shell's loop once its events are handled: the due timers, then the idle event
// unless EVENTWAITING says another event waits, each followed by PRESENT. Returns how long the
// shell may wait for its next event: milliseconds until the next timer, or none while no timer
// is armed.
std::optional<int64_t> RunLoopStep(TApplication& app, const std::function<void()>& present,
                                   const std::function<bool()>& eventWaiting = {});

struct THostOptions {
  TRunMode Mode = TRunMode::rmWindow;
  // Read afresh for every board, as the saver reads the settings at every start.
  std::function<TSettings()> ReadSettings;
  std::shared_ptr<TSoundOutput> Sound;  // never given to a preview
  // Outside the preview: the cell size (-1: the pictures' own) and the saver's pointer rule.
  int CellSize = -1;
  int PointerTolerance = detonix::PointerTolerance;
  std::optional<uint64_t> Seed;
  std::function<void(const std::vector<TRect>&)> Presented;
};

// One game on a window's pixels: a new game at each new size, a black board when none can be
// made, and the input rules of a full-screen saver. The window brings the pixels and shows them.
class TGameHost {
 public:
  TGameHost(TApplication& app, THostOptions options, THostWindow* window = nullptr);
  ~TGameHost();
  TGameHost(const TGameHost&) = delete;
  TGameHost& operator=(const TGameHost&) = delete;

  // A new game on the shell's pixels, 32-bit XRGB top row first, STRIDE bytes a row; they must
  // outlive the game. When no board can be made the pixels are black and false comes back with
  // the reason in Failure(); the program's own window whose first board failed has then Ended(),
  // any other waits, black, for a size that fits.
  bool Build(void* bits, int width, int height, int stride);
  // A new game on the window's pixels, asked for only when its size is within the limits.
  bool Start();
  // The window is gone: the game stops and nothing is shown any more.
  void ForgetWindow();
  void UseSound(std::shared_ptr<TSoundOutput> sound) { FOptions.Sound = std::move(sound); }
  // The cells and pointer rule of a monitor at another scale; the next game has them.
  void UseScale(int cellSize, int pointerTolerance) {
    FOptions.CellSize = cellSize;
    FOptions.PointerTolerance = pointerTolerance;
  }
  // Ends the game and lets go of the pixels; before the shell frees them.
  void Stop();

  TDetonixSimulator* Simulator() const { return FSim.get(); }
  TPaintSurface* Surface() const { return FSurface.get(); }
  const std::string& Failure() const { return FFailure; }

  // Input, in screen pixels. Each returns true when it has just ended the run; only the saver
  // takes input.
  void PointerStartsAt(int x, int y);
  bool PointerMoved(int x, int y);
  bool Key();
  bool Click();
  void End() { FEnded = true; }
  // Writes TEXT across the board, white on a black band, word-wrapped to the window's width: in
  // a window where no message box may be shown this is where a failure is seen.
  void ShowText(const std::string& text);
  bool Ended() const { return FEnded; }
  // The window could give no pixels (it said why): the run ends, unsuccessfully.
  bool NoPixels() const { return FNoPixels; }

  // Shows the rectangles drawn since the last call on the window.
  void Present();

 private:
  bool EndByInput();
  bool Refused(const std::string& why);

  TApplication& FApp;
  THostOptions FOptions;
  THostWindow* FWindow;
  std::unique_ptr<TPaintSurface> FSurface;
  std::unique_ptr<TDetonixSimulator> FSim;
  std::string FFailure;
  bool FBuiltBefore = false;
  bool FEnded = false;
  bool FNoPixels = false;
  int FStartX = 0;
  int FStartY = 0;
};

}  // namespace detonix
