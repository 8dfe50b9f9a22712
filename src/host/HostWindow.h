#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/GraphicsTypes.h"

namespace detonix {

class TSoundOutput;

// A window's pixels: 32-bit XRGB, top row first, Stride bytes a row. No Bits: the window has none.
struct TWindowPixels {
  void* Bits = nullptr;
  int Width = 0;
  int Height = 0;
  int Stride = 0;
};

// What the host needs of one window of a shell to play a game on it. The host asks for the size
// first and for pixels only once it has found the size within the board's limits.
class THostWindow {
 public:
  virtual ~THostWindow() = default;
  // The window's size in pixels, now.
  virtual void PixelSize(int& width, int& height) = 0;
  // Pixels of that size, kept until the next call or ReleasePixels; a window that can give none
  // says why (the run then ends, unsuccessfully).
  virtual TWindowPixels Pixels() = 0;
  virtual void ReleasePixels() = 0;
  // Shows these rectangles of the pixels on the screen.
  virtual void Present(const std::vector<TRect>& changed) = 0;
};

// What a shell does for the whole run: the events, the wait, the boxes and the sound. The shell
// tells the run of its windows' input, new sizes, exposures and ends (TSaverScreens).
class THostShell {
 public:
  virtual ~THostShell() = default;
  // Handles every event that waits. False when the shell's own reasons end the run.
  virtual bool HandleEvents() = 0;
  // An event waits: the idle work gives way to it.
  virtual bool EventWaiting() { return false; }
  // Sleeps until an event arrives or MS milliseconds pass (none: until an event).
  virtual void Wait(std::optional<int64_t> ms) = 0;
  // While a game pauses or resumes it asks for this, even inside its constructor: let the window
  // system go on without handling input.
  virtual void ProcessMessages() {}
  // A message box the user answers; the run calls it only where one can be seen, and only if the
  // shell has boxes at all (else the message is written on the boards).
  virtual void ShowBox(const std::string& /*text*/) {}
  virtual bool HasBoxes() const { return true; }
  // A box the shell shows stays in front of the full-screen saver.
  virtual bool BoxOverSaver() const { return false; }
  // The sound every screen shares; asked once, only when the games will sound. Opened once the
  // boards are shown.
  virtual std::shared_ptr<TSoundOutput> MakeSound() { return nullptr; }
};

}  // namespace detonix
