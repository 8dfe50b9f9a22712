#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "commandline/ShellOptions.h"
#include "host/SaverScreens.h"
#include "native/EndWatch.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "shell/wayland/Keyboard.h"
#include "shell/wayland/WaylandWindow.h"

namespace detonix::wayland {

// The native program on a Wayland compositor, on wayland-client alone: an ordinary window or the
// full-screen saver (a window on every output). Its windows' pixels are shared-memory buffers; it
// sleeps in a poll of its own on the compositor's connection until the next timer or event. The
// run does the rest.
class TWaylandShell final : public THostShell {
 public:
  explicit TWaylandShell(const commandline::TShellOptions& options);
  ~TWaylandShell() override;
  TWaylandShell(const TWaylandShell&) = delete;
  TWaylandShell& operator=(const TWaylandShell&) = delete;

  enum class TOpened { Yes, No, NotHere };
  // Opens the windows and starts their games. No: that failed and the run is over. NotHere: no
  // Wayland compositor is reachable (or the run is in an X11 window of someone else's).
  TOpened Open();
  // Runs the games until the windows close or input ends the saver; the exit status.
  int Loop();

  bool HandleEvents() override;
  void Wait(std::optional<int64_t> ms) override;
  void ProcessMessages() override;
  bool HasBoxes() const override { return false; }
  std::shared_ptr<TSoundOutput> MakeSound() override;

 private:
  static const wl_registry_listener RegistryListener;
  static const wl_output_listener OutputListener;
  static const zxdg_output_v1_listener LogicalListener;
  static const xdg_wm_base_listener WmBaseListener;
  static const wl_seat_listener SeatListener;
  static const wl_pointer_listener PointerListener;
  static const wl_keyboard_listener KeyboardListener;

  void Global(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
  void GlobalGone(uint32_t name);
  void WatchOutput(TOutput& output);
  void Capabilities(uint32_t capabilities);
  bool OpenWindows();
  // The monitor an output is, in the pixels of a window on it at SCALE (its own, by default).
  TMonitor MonitorOf(const TOutput* output, double scale) const;
  TMonitor MonitorOf(const TOutput& output) const;
  TWaylandWindow& AddSaverWindow(const TOutput& output);
  // A saver window on every output now; none on an output that went.
  void FollowOutputs();
  bool Roundtrip();
  TWaylandWindow* WindowOf(const wl_surface* surface) const;
  size_t InputIndex(const TWaylandWindow* window) const;
  void PointerAt(wl_fixed_t x, wl_fixed_t y);
  void Key(uint32_t key);
  // Reads nothing more: the connection failed.
  void Lost();
  void CommitAll();
  bool Saver() const { return FOptions.Mode == TRunMode::rmSaver; }

  commandline::TShellOptions FOptions;
  // Gone last: letting go of the windows may wait for the compositor, which may not answer; after a
  // signal the watch ends the process in time.
  std::atomic<bool> FEndAsked{false};  // by the watch: a signal
  std::unique_ptr<native::TEndWatch> FWatch;
  TRealClock FClock;
  TApplication FApp;
  // In the order they go: the games before the windows, the windows before the compositor's
  // globals, the connection last.
  TProxy<wl_display> FDisplay;
  TProxy<wl_registry> FRegistry;
  TGlobals FGlobals;
  struct TSeat;
  std::unique_ptr<TSeat> FSeat;
  TKeyboard FKeys;
  struct TDecorContext;
  std::unique_ptr<TDecorContext> FDecor;
  std::vector<std::unique_ptr<TWaylandWindow>> FWindows;
  std::unique_ptr<TSaverScreens> FScreens;  // gone with its sound before the windows
  TWaylandWindow* FPointerOn = nullptr;
  TWaylandWindow* FKeysOn = nullptr;  // the window with the keyboard focus
  bool FFailed = false;  // the connection broke: nothing more is said to it
  bool FFocusLost = false;  // a window of ours lost the keyboard: see where it went
  bool FOutputsChanged = false;
  bool FFlushWaits = false;  // the compositor reads slower than we write
};

}  // namespace detonix::wayland
