#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/SaverScreens.h"
#include "media/SoundOutput.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "settings/Settings.h"

namespace detonix::web {

// The canvas's pixels: the game draws XRGB; the canvas takes RGBA bytes, so each presented
// rectangle is copied over before the page puts it into the canvas.
class TCanvasWindow final : public THostWindow {
 public:
  void SetSize(int width, int height) {
    FWidth = width;
    FHeight = height;
  }
  void PixelSize(int& width, int& height) override {
    width = FWidth;
    height = FHeight;
  }
  TWindowPixels Pixels() override;
  void ReleasePixels() override;
  void Present(const std::vector<TRect>& changed) override;

 private:
  int FWidth = 0;
  int FHeight = 0;
  int FMadeWidth = 0;  // the size the pixels were made at
  int FMadeHeight = 0;
  std::vector<uint32_t> FPixels;
  std::vector<uint32_t> FCanvas;
  std::vector<int32_t> FRects;
};

// Explosions through Web Audio, which the page opens on the first gesture: until then silent.
class TWebSound final : public TSoundOutput {
 public:
  void Open() override;
  int WaveOutDeviceCount() const override { return 1; }
  void PlayWaveAsync(std::span<const uint8_t> wave) override;
  void StartWorker(std::function<void()> body) override { body(); }  // no threads in the page
};

// The page's run: one canvas, the browser's events and its clock. The browser owns the loop, so
// instead of waiting the run asks for one timeout to its next due timer.
class TWebShell final : public THostShell {
 public:
  TWebShell(TRunMode mode, TSettings settings, std::optional<uint64_t> seed);
  ~TWebShell() override;
  TWebShell(const TWebShell&) = delete;
  TWebShell& operator=(const TWebShell&) = delete;

  // The game at WIDTH by HEIGHT device pixels and DPI (96 per CSS pixel); false when none can be made.
  bool Start(int width, int height, int dpi);
  // A new size: a new game at the next turn; a new pixel ratio, a new run with cells to match.
  void Resize(int width, int height, int dpi);
  // The due timers and the idle work, then the next turn is scheduled.
  void Turn();
  // Input, in device pixels; true once it has ended the run.
  bool Key();
  bool Click();
  bool PointerMoved(int x, int y);
  bool Ended() const { return !FRestart && FScreens && FScreens->Ended(); }

  bool HandleEvents() override { return true; }
  void Wait(std::optional<int64_t>) override {}
  void ShowBox(const std::string& text) override;
  std::shared_ptr<TSoundOutput> MakeSound() override;

 private:
  bool After(bool ended);

  TRunMode FMode;
  TSettings FSettings;
  std::optional<uint64_t> FSeed;
  TRealClock FClock;
  TApplication FApp;
  TCanvasWindow FWindow;
  int FDpi = NativeDpi;
  std::unique_ptr<TSaverScreens> FScreens;
  bool FRestart = false;  // a new ratio's run found no board: the next size tries again
};

}  // namespace detonix::web
