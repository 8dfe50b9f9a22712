#include "host/SaverScreens.h"

#include <algorithm>
#include <utility>

namespace detonix {

TSaverScreens::TSaverScreens(TApplication& app, TScreensOptions options)
    : FApp(app), FOptions(std::move(options)), FPreviousMessages(app.OnShowMessage) {
  if (!FOptions.ShowBox) FOptions.ShowBox = FPreviousMessages;
  app.OnShowMessage = [this](const std::string& text) { ShowMessage(text); };
}

TSaverScreens::~TSaverScreens() {
  FApp.OnShowMessage = std::move(FPreviousMessages);
}

TGameHost& TSaverScreens::Add(const TMonitor& monitor) {
  THostOptions host;
  host.Mode = FOptions.Mode;
  host.ReadSettings = FOptions.ReadSettings;
  host.CellSize = ScaledCellSize(monitor.Dpi);
  host.PointerTolerance = ScaledPointerTolerance(monitor.Dpi);
  // A seed given is the first monitor's, so one monitor plays what the headless tool does.
  if (FOptions.Seed) host.Seed = *FOptions.Seed + FScreens.size();
  // An open device may cost a thread: opened once, and only when it will be used.
  if (!FSound && FOptions.OpenSound && host.Mode != TRunMode::rmPreview && host.ReadSettings &&
      host.ReadSettings().Sounds)
    FSound = FOptions.OpenSound();
  host.Sound = FSound;
  FScreens.push_back({monitor, std::make_unique<TGameHost>(FApp, std::move(host))});
  return *FScreens.back().Host;
}

bool TSaverScreens::Build(size_t i, void* bits, int width, int height, int stride) {
  TGameHost& host = Host(i);
  const bool built = host.Build(bits, width, height, stride);
  if (!built && FOptions.Mode == TRunMode::rmForeign) host.ShowText(host.Failure());
  EndAllIf(host.Ended());
  if (host.Surface()) host.Surface()->Invalidate();  // a new window surface needs all of it
  host.Present();
  return built;
}

void TSaverScreens::PointerStartsAt(int x, int y) {
  for (TScreen& s : FScreens) s.Host->PointerStartsAt(x, y);
}

bool TSaverScreens::EndAllIf(bool ended) {
  if (ended) End();
  return ended;
}

bool TSaverScreens::PointerMoved(size_t i, int x, int y) { return EndAllIf(Host(i).PointerMoved(x, y)); }

bool TSaverScreens::Key(size_t i) { return EndAllIf(Host(i).Key()); }

bool TSaverScreens::Click(size_t i) { return EndAllIf(Host(i).Click()); }

void TSaverScreens::End() {
  for (TScreen& s : FScreens) s.Host->End();
}

bool TSaverScreens::Ended() const {
  return std::any_of(FScreens.begin(), FScreens.end(), [](const TScreen& s) { return s.Host->Ended(); });
}

void TSaverScreens::Present() {
  for (TScreen& s : FScreens) s.Host->Present();
}

void TSaverScreens::ShowMessage(const std::string& text) {
  if (FOptions.Log) FOptions.Log(text);
  const TRunMode mode = FOptions.Mode;
  const bool box = mode == TRunMode::rmWindow || (mode == TRunMode::rmSaver && FOptions.BoxOverSaver);
  if (box && FOptions.ShowBox) {
    FOptions.ShowBox(text);
    return;
  }
  if (mode == TRunMode::rmPreview) return;
  for (TScreen& s : FScreens) s.Host->ShowText(text);
}

}  // namespace detonix
