#include "host/SaverScreens.h"

#include <algorithm>
#include <utility>

#include "media/SoundOutput.h"
#include "platform/StartupMemory.h"

namespace detonix {

TSaverScreens::TSaverScreens(TApplication& app, THostShell& shell, TScreensOptions options)
    : FApp(app),
      FShell(shell),
      FOptions(std::move(options)),
      FPreviousMessages(app.OnShowMessage),
      FPreviousProcessMessages(app.OnProcessMessages) {
  app.OnShowMessage = [this](const std::string& text) { ShowMessage(text); };
  // Only show what is drawn and let the window system go on; the events wait for the loop.
  app.OnProcessMessages = [this] {
    Present();
    FShell.ProcessMessages();
  };
}

TSaverScreens::~TSaverScreens() {
  for (TScreen& s : FScreens) s.Host->Stop();  // before the sound and the windows go
  FApp.OnShowMessage = std::move(FPreviousMessages);
  FApp.OnProcessMessages = std::move(FPreviousProcessMessages);
}

size_t TSaverScreens::Add(THostWindow& window, const TMonitor& monitor) {
  THostOptions host;
  host.Mode = FOptions.Mode;
  host.ReadSettings = FOptions.ReadSettings;
  host.CellSize = ScaledCellSize(monitor.Dpi);
  host.PointerTolerance = ScaledPointerTolerance(monitor.Dpi);
  // A seed given is the first monitor's, so one monitor plays what the headless tool does.
  if (FOptions.Seed) host.Seed = *FOptions.Seed + FScreens.size();
  if (FSound) host.Sound = *FSound;
  host.Presented = FOptions.Presented;
  FScreens.push_back({monitor, std::make_unique<TGameHost>(FApp, std::move(host), &window)});
  if (FPointerStart) FScreens.back().Host->PointerStartsAt(FPointerStart->first, FPointerStart->second);
  return FScreens.size() - 1;
}

void TSaverScreens::Remove(size_t i) {
  FScreens[i].Removed = true;
  FScreens[i].Resized = false;
  Host(i).ForgetWindow();
}

void TSaverScreens::ChangeMonitor(size_t i, const TMonitor& monitor) {
  TScreen& s = FScreens[i];
  if (monitor.Dpi != s.Monitor.Dpi) s.Resized = true;
  s.Monitor = monitor;
  s.Host->UseScale(ScaledCellSize(monitor.Dpi), ScaledPointerTolerance(monitor.Dpi));
}

TSaverScreens::TMonitorChanges TSaverScreens::MonitorsChanged(const std::vector<TMonitor>& monitors) {
  TMonitorChanges changes;
  std::vector<TMonitor> left = DistinctMonitors(monitors);
  if (left.empty()) return changes;
  std::vector<size_t> unmatched;
  for (size_t i = 0; i < FScreens.size(); ++i)
    if (!Removed(i)) unmatched.push_back(i);
  using TSame = bool (*)(const TRect&, const TRect&);
  constexpr TSame Rules[] = {[](const TRect& a, const TRect& b) { return a == b; },
                             [](const TRect& a, const TRect& b) { return a.Left == b.Left && a.Top == b.Top; },
                             [](const TRect&, const TRect&) { return true; }};
  for (const TSame same : Rules) {
    std::erase_if(unmatched, [&](size_t i) {
      const TMonitor& now = FScreens[i].Monitor;
      const auto m = std::find_if(left.begin(), left.end(), [&](const TMonitor& o) { return same(now.Bounds, o.Bounds); });
      if (m == left.end()) return false;
      if (m->Bounds != now.Bounds || m->Dpi != now.Dpi) {
        ChangeMonitor(i, *m);
        changes.Changed.push_back(i);
      }
      left.erase(m);
      return true;
    });
  }
  for (size_t i : unmatched) Remove(i);
  changes.Removed = std::move(unmatched);
  changes.Added = std::move(left);
  return changes;
}

bool TSaverScreens::Start() {
  for (size_t i = 0; i < FScreens.size() && !Ended(); ++i)
    if (!Removed(i)) Build(i);
  // Starting a device takes long enough to be left until the boards are shown: no fuse burns
  // down before that.
  if (FSound && *FSound && !Ended()) (*FSound)->Open();
  return !Ended();
}

bool TSaverScreens::Build(size_t i) {
  if (!FSound) {
    // An open device may cost a thread: made once for every screen, and only when it will be used.
    const bool sounds = FOptions.Mode != TRunMode::rmPreview && FOptions.ReadSettings && FOptions.ReadSettings().Sounds;
    FSound = sounds ? FShell.MakeSound() : nullptr;
    for (TScreen& s : FScreens) s.Host->UseSound(*FSound);
  }
  FScreens[i].Resized = false;
  if (Removed(i)) return false;
  TGameHost& host = Host(i);
  const bool built = host.Start();
  if (!built && !host.Failure().empty()) {
    if (FOptions.Log) FOptions.Log(host.Failure());
    // Said on the black board itself, where it uncovers no screen and input still ends the saver.
    if (FOptions.Mode == TRunMode::rmForeign || FOptions.Mode == TRunMode::rmSaver) host.ShowText(host.Failure());
  }
  EndAllIf(host.Ended());
  if (host.Surface()) host.Surface()->Invalidate();  // a new window surface needs all of it
  host.Present();
  return built;
}

void TSaverScreens::Run() {
  while (!Ended() && !FQuit && FShell.HandleEvents() && !Ended() && !FQuit) {
    const auto due = Turn();
    if (Ended() || FQuit) break;
    FShell.Wait(due);
  }
}

std::optional<int64_t> TSaverScreens::Turn() {
  bool resized = false;
  for (size_t i = 0; i < FScreens.size(); ++i) {
    if (!FScreens[i].Resized) continue;
    Build(i);
    resized = true;
  }
  if (resized) return 0;  // the events that came meanwhile first
  const auto due = RunLoopStep(FApp, [this] { Present(); }, [this] { return FShell.EventWaiting(); });
  if (!FStarted && !Ended()) ReleaseStartupMemory();  // after the first picture
  FStarted = true;
  return due;
}

void TSaverScreens::Exposed(size_t i) {
  TGameHost& host = Host(i);
  if (FScreens[i].Resized || !host.Surface()) return;
  host.Surface()->Invalidate();
  host.Present();
}

void TSaverScreens::WindowGone(size_t i) {
  if (Removed(i)) return;  // the shell closed it
  Host(i).ForgetWindow();
  End();
  FQuit = true;
  // A host takes its window back when it is done with us; our own window has no business vanishing.
  if (FOptions.Mode == TRunMode::rmForeign || FOptions.Mode == TRunMode::rmPreview || FFailed) return;
  FFailed = true;
  if (FOptions.Log) FOptions.Log("another program destroyed the window; ending");
}

void TSaverScreens::KeyboardTaken() {
  if (FOptions.Mode == TRunMode::rmSaver) End();
}

void TSaverScreens::Stop() {
  for (TScreen& s : FScreens) s.Host->Stop();
}

int TSaverScreens::ExitStatus() const {
  const bool noPixels =
      std::any_of(FScreens.begin(), FScreens.end(), [](const TScreen& s) { return s.Host->NoPixels(); });
  return FFailed || noPixels ? 1 : 0;
}

void TSaverScreens::PointerStartsAt(int x, int y) {
  FPointerStartPending = false;
  FPointerStart = {x, y};
  for (TScreen& s : FScreens) s.Host->PointerStartsAt(x, y);
}

bool TSaverScreens::EndAllIf(bool ended) {
  if (ended) End();
  return ended;
}

bool TSaverScreens::PointerMoved(size_t i, int x, int y) {
  if (FPointerStartPending) {
    PointerStartsAt(x, y);
    return false;
  }
  return EndAllIf(Host(i).PointerMoved(x, y));
}

bool TSaverScreens::Key(size_t i, THostKey key) {
  if (FOptions.Mode == TRunMode::rmWindow && key != THostKey::Other) FQuit = true;
  return EndAllIf(Host(i).Key());
}

bool TSaverScreens::Click(size_t i) { return EndAllIf(Host(i).Click()); }

void TSaverScreens::End() {
  for (TScreen& s : FScreens) s.Host->End();
}

bool TSaverScreens::Ended() const {
  return std::any_of(FScreens.begin(), FScreens.end(), [](const TScreen& s) { return !s.Removed && s.Host->Ended(); });
}

void TSaverScreens::Present() {
  for (TScreen& s : FScreens) s.Host->Present();
}

void TSaverScreens::ShowMessage(const std::string& text) {
  if (FOptions.Log) FOptions.Log(text);
  const TRunMode mode = FOptions.Mode;
  if (FShell.HasBoxes() && (mode == TRunMode::rmWindow || (mode == TRunMode::rmSaver && FShell.BoxOverSaver()))) {
    FShell.ShowBox(text);
    return;
  }
  if (mode == TRunMode::rmPreview) return;
  for (TScreen& s : FScreens) s.Host->ShowText(text);
}

TRect DefaultWindowBounds(const TMonitor& monitor) {
  const auto fit = [](int pixels, int room) { return room > 0 ? std::min(pixels, room) : pixels; };
  return {0, 0, fit(ScaledPixels(DefaultWindowWidth, monitor.Dpi), monitor.Bounds.Width()),
          fit(ScaledPixels(DefaultWindowHeight, monitor.Dpi), monitor.Bounds.Height())};
}

}  // namespace detonix
