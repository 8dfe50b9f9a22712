#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/GameHost.h"
#include "host/HostWindow.h"
#include "host/Monitor.h"

namespace detonix {

struct TScreensOptions {
  TRunMode Mode = TRunMode::rmSaver;
  std::function<TSettings()> ReadSettings;
  // The first screen's seed; each further screen plays the next one.
  std::optional<uint64_t> Seed;
  // Told of every message and of every board that could not be made.
  std::function<void(const std::string&)> Log;
  // Told of every present of every window, for a trace of them.
  std::function<void(const std::vector<TRect>&)> Presented;
};

// The keys the run tells apart: the program's own window ends on Escape and on q (Ctrl+Q too).
enum class THostKey { Other, Escape, Q };

// The run: one game per screen, for the full-screen saver a window on every monitor, each with
// cells and pointer rule at its own scale; otherwise one. Any input that ends one ends all. The
// shell brings the windows, tells of their events and waits; the run does everything else: the
// boards, their size limits, the sound, the messages and the loop.
class TSaverScreens {
 public:
  // The application's messages and its pauses go through the run for as long as it lives.
  TSaverScreens(TApplication& app, THostShell& shell, TScreensOptions options);
  ~TSaverScreens();
  TSaverScreens(const TSaverScreens&) = delete;  // the shells' windows hold its index
  TSaverScreens& operator=(const TSaverScreens&) = delete;

  // One more screen: WINDOW on MONITOR, until the run ends, WindowGone or Remove; its index, the
  // screen's for the whole run.
  size_t Add(THostWindow& window, const TMonitor& monitor);
  // Every screen added, removed ones too.
  size_t Count() const { return FScreens.size(); }
  TGameHost& Host(size_t i) const { return *FScreens[i].Host; }
  const TMonitor& Monitor(size_t i) const { return FScreens[i].Monitor; }

  // The games on every screen, then the sound; false when the run is over already (a first
  // board that could not be made in the program's own window: the log says why).
  bool Start();
  // A new game on screen I at its window's size. When none can be made in someone else's window
  // or on one monitor of the saver, the reason is written on the black board, which waits for a
  // size that fits; the other screens play on.
  bool Build(size_t i);
  // Runs the games until the shell or the input ends the run.
  void Run();
  // One turn of that loop once the shell has handled its events: the new games at new sizes, else
  // the due timers and the idle work. How long the shell may wait for its next event (0: look
  // again at once; none: until an event).
  std::optional<int64_t> Turn();

  // What the shell tells of its windows. A new size starts a new game once the events are read.
  void Resized(size_t i) { FScreens[i].Resized = true; }
  void Exposed(size_t i);
  // Another program destroyed screen I's window: it is not drawn on again, and the run ends;
  // unsuccessfully, and said, when the window was the program's own.
  void WindowGone(size_t i);
  // The user asks the program to end (a window's close button, a quit key, a signal).
  void Quit() { FQuit = true; }
  // The shell lost its display (it said why): the run ends, unsuccessfully.
  void Fail() { FFailed = FQuit = true; }
  bool QuitAsked() const { return FQuit; }
  // Another program took the keyboard from every window of ours: what the user types goes there,
  // not behind a saver, which ends.
  void KeyboardTaken();
  // Ends every game and lets go of the windows' pixels, before the shell closes them.
  void Stop();
  // The program's exit status: 1 when the run failed (a window of its own destroyed under it, or
  // one that could give no pixels), else 0.
  int ExitStatus() const;

  // Screen I's monitor is gone: its game ends and its window is not drawn on again (the shell may
  // close it); the other screens play on.
  void Remove(size_t i);
  bool Removed(size_t i) const { return FScreens[i].Removed; }
  // Screen I's monitor has a new place, size or scale. A new size comes as the window's (Resized);
  // a new scale starts a new game with its cells once the events are read.
  void ChangeMonitor(size_t i, const TMonitor& monitor);

  // What the shell does when the desktop's monitors have changed while the run goes on.
  struct TMonitorChanges {
    std::vector<size_t> Removed;  // the run has let go of these screens: their windows may go
    std::vector<size_t> Changed;  // these windows move onto Monitor(i)
    std::vector<TMonitor> Added;  // a window on each, then Add and Build
  };
  // The run's screens matched with MONITORS, the desktop's as the shell lists them now (mirrored
  // ones count once): a screen keeps its monitor's rectangle, else its corner (a new mode), else
  // takes the next monitor left over; the screens still left over are removed. An empty list
  // changes nothing: a desktop without monitors is one between two layouts.
  TMonitorChanges MonitorsChanged(const std::vector<TMonitor>& monitors);

  // Where the pointer was when the saver started, in desktop pixels; unknown, its first report is.
  void PointerStartsAt(int x, int y);
  void PointerStartUnknown() { FPointerStartPending = true; }
  // Input on screen I (desktop pixels); true when it has just ended the run, on every screen.
  bool PointerMoved(size_t i, int x, int y);
  bool Key(size_t i, THostKey key = THostKey::Other);
  bool Click(size_t i);
  void End();
  bool Ended() const;
  void Present();

  // A message in a box where the user can answer one (the program's own window; over the saver
  // where the shell's boxes stay in front); else, and where the shell has no boxes, written on
  // every board but a preview's, too small to read.
  void ShowMessage(const std::string& text);

 private:
  bool EndAllIf(bool ended);

  struct TScreen {
    TMonitor Monitor;
    std::unique_ptr<TGameHost> Host;
    bool Resized = false;
    bool Removed = false;
  };
  TApplication& FApp;
  THostShell& FShell;
  TScreensOptions FOptions;
  std::function<void(const std::string&)> FPreviousMessages;
  std::function<void()> FPreviousProcessMessages;
  std::optional<std::shared_ptr<TSoundOutput>> FSound;  // none: not decided yet
  std::vector<TScreen> FScreens;
  bool FPointerStartPending = false;
  std::optional<std::pair<int, int>> FPointerStart;  // for the screens added later
  bool FStarted = false;
  bool FQuit = false;
  bool FFailed = false;
};

// The program's own window at its start: the default board at the monitor's scale, as large as the
// monitor has room for; at the desktop's origin.
TRect DefaultWindowBounds(const TMonitor& monitor);

}  // namespace detonix
