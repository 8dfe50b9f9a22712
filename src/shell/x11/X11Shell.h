#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "commandline/ShellOptions.h"
#include "host/SaverScreens.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "native/EndWatch.h"
#include "shell/x11/XPicture.h"
#include "shell/x11/XSupport.h"

struct _XDisplay;  // Xlib's Display
union _XEvent;     // Xlib's XEvent

namespace detonix::x11 {

// One X11 window of the run, ours or a host's (xscreensaver's, the root), and its pixels.
class TX11Window final : public THostWindow {
 public:
  TX11Window(_XDisplay* display, unsigned long window, size_t index, bool own, int width, int height)
      : XDisplay(display), XWindow(window), Index(index), Own(own), FWidth(width), FHeight(height) {}
  ~TX11Window() override;
  TX11Window(const TX11Window&) = delete;
  TX11Window& operator=(const TX11Window&) = delete;

  void PixelSize(int& width, int& height) override {
    width = FWidth;
    height = FHeight;
  }
  TWindowPixels Pixels() override;
  void ReleasePixels() override { FPicture.reset(); }
  void Present(const std::vector<TRect>& changed) override;
  // Whether the size changed.
  bool SizeIs(int width, int height);

  _XDisplay* const XDisplay;
  const unsigned long XWindow;
  const size_t Index;  // among the run's screens
  const bool Own;      // made by us, destroyed by us
  bool Gone = false;   // another client destroyed it

 private:
  int FWidth;
  int FHeight;
  std::unique_ptr<TXPicture> FPicture;
};

// The native program on an X11 display, on Xlib alone: an ordinary window, the full-screen saver (a
// window on every monitor) or a host's window (xscreensaver's, or its preview). The run does the
// rest; it has no boxes of its own: a message is written on the boards.
class TX11Shell final : public THostShell {
 public:
  explicit TX11Shell(const commandline::TShellOptions& options);
  ~TX11Shell() override;
  TX11Shell(const TX11Shell&) = delete;
  TX11Shell& operator=(const TX11Shell&) = delete;

  enum class TOpened { Yes, No, NotHere };
  // Opens the windows and starts their games. No: that failed (said) and the run is over. NotHere:
  // no X11 display is reachable.
  TOpened Open();
  // Runs the games until the windows close or input ends the saver; the exit status.
  int Loop();

  bool HandleEvents() override;
  void Wait(std::optional<int64_t> ms) override;
  bool HasBoxes() const override { return false; }
  std::shared_ptr<TSoundOutput> MakeSound() override;

 private:
  bool OpenWindows();
  unsigned long CreateWindow(const TRect& bounds, bool saver);
  // The window's index among the run's screens.
  size_t AddWindow(unsigned long window, bool own, const TMonitor& monitor);
  size_t AddSaverWindow(const TMonitor& monitor);
  // The saver's first window takes the focus and the keyboard.
  void TakeKeyboard(bool waitForMap);
  // A window on every monitor now, on its rectangle; none on a monitor that went.
  void FollowMonitors();
  void TakeMonitorChanges();
  // The saver's pointer rule counts from where the pointer is now.
  void PointerStartsHere();
  TX11Window* WindowOf(unsigned long window);
  void HandleEvent(_XEvent& event);
  // Handles the events Xlib holds (QueuedAlready) or, reading the connection too, every one that
  // came (QueuedAfterFlush), until the run ends.
  void HandleQueued(int mode);
  void WindowGone(TX11Window& window);
  bool Foreign() const { return FOptions.Mode == TRunMode::rmForeign || FOptions.Mode == TRunMode::rmPreview; }

  commandline::TShellOptions FOptions;
  TRealClock FClock;
  TApplication FApp;
  _XDisplay* FDisplay = nullptr;
  std::vector<unsigned long> FAtoms;  // the windows' properties' names
  unsigned long FBlankCursor = 0;
  std::vector<std::unique_ptr<TX11Window>> FWindows;
  std::unique_ptr<TSaverScreens> FScreens;  // gone with its sound before the windows
  std::unique_ptr<native::TEndWatch> FWatch;  // ends the process when the loop cannot answer an end in time
  std::atomic<bool> FEndAsked{false};  // by the watch: a signal, or the host's window destroyed
  bool FFocusLost = false;  // a window of ours lost the keyboard: see where it went
  int FRandrEvents = -1;  // where RandR's events start; -1: not followed
  bool FMonitorsChanged = false;
  int FPointerSettling = 0;  // turns left in which a pointer move only says where it is
  // After a wait that ended without input there is no event to read: the next turn goes straight
  // to the timers, without a read of the connection that finds nothing.
  bool FLook = true;
  TXConnection FX;
};

}  // namespace detonix::x11
