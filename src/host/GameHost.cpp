#include "host/GameHost.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <utility>

#include "platform/Prefault.h"

namespace detonix {

std::optional<int64_t> RunLoopStep(TApplication& app, const std::function<void()>& present,
                                   const std::function<bool()>& eventWaiting) {
  app.FireDueTimers();
  if (present) present();
  // Idle means nothing else to do: a waiting event goes first, as in any message loop.
  if (!eventWaiting || !eventWaiting()) {
    app.DoIdle();
    if (present) present();
  }
  return app.MsUntilNextTimer();
}

int FitCellSize(int width, int height, int cellSize) {
  if (cellSize <= NativeCellSize) return cellSize;
  int cell = cellSize;
  while (cell > NativeCellSize && !BoardSizeProblem(width, height, cell, MinBoardSide).empty()) --cell;
  return cell > NativeCellSize ? cell : -1;
}

TGameHost::TGameHost(TApplication& app, THostOptions options, THostWindow* window)
    : FApp(app), FOptions(std::move(options)), FWindow(window) {}

TGameHost::~TGameHost() { Stop(); }

void TGameHost::Stop() {
  FSim.reset();  // it draws on the surface, so it goes first
  FSurface.reset();
  if (FWindow) FWindow->ReleasePixels();
}

void TGameHost::ForgetWindow() {
  Stop();
  FWindow = nullptr;
  FEnded = true;
}

bool TGameHost::Start() {
  Stop();
  FFailure.clear();
  if (!FWindow) return false;
  int width = 0;
  int height = 0;
  FWindow->PixelSize(width, height);
  // Before the window's pixels are made: a window beyond any screen would cost gigabytes. It stays
  // empty; a size within the limits starts a new game.
  if (const std::string problem = BoardSizeProblem(width, height, 0); !problem.empty()) return Refused(problem);
  const TWindowPixels pixels = FWindow->Pixels();
  if (!pixels.Bits) {
    // The window says why; a run that can show nothing must not go on unseen.
    FEnded = true;
    FNoPixels = true;
    return false;
  }
  return Build(pixels.Bits, pixels.Width, pixels.Height, pixels.Stride);
}

bool TGameHost::Build(void* bits, int width, int height, int stride) {
  FSim.reset();  // it draws on the surface, so it goes first
  FSurface.reset();
  FFailure.clear();
  const bool preview = FOptions.Mode == TRunMode::rmPreview;
  try {
    // No black first: the board covers every pixel, and a failure below blacks them out.
    FSurface = std::make_unique<TPaintSurface>(bits, width, height, stride);
    // While the pictures are painted, the window's pixels are made ready on another core.
    const TPrefault prefault(bits, stride > 0 && height > 0 ? static_cast<size_t>(stride) * static_cast<size_t>(height) : 0);
    TSimulatorOptions options;
    options.Preview = preview;
    options.CellSize = preview ? PreviewCellSize(width) : FitCellSize(width, height, FOptions.CellSize);
    if (const std::string small = BoardSizeProblem(width, height, options.CellSize, MinBoardSide); !small.empty())
      throw std::invalid_argument(small);
    if (FOptions.ReadSettings) options.Settings = FOptions.ReadSettings();
    if (!preview) options.Sound = FOptions.Sound;
    options.Seed = FOptions.Seed;
    FSim = std::make_unique<TDetonixSimulator>(FApp, *FSurface, options);
  } catch (const std::exception& e) {
    FSim.reset();
    if (FSurface) {
      FSurface->Canvas().Brush.Color = clBlack;
      FSurface->Canvas().FillRect(FSurface->Bitmap().Bounds());
    }
    return Refused(e.what());
  }
  FBuiltBefore = true;
  return true;
}

bool TGameHost::Refused(const std::string& why) {
  FFailure = why;
  // Only the program's own window ends on a first failure, where a box says why. Nobody would see
  // it in someone else's window, and a saver's monitor must stay covered while the others play:
  // there the board waits, black, for a size that fits.
  if (!FBuiltBefore && FOptions.Mode == TRunMode::rmWindow) FEnded = true;
  FBuiltBefore = true;
  return false;
}

void TGameHost::ShowText(const std::string& text) {
  if (!FSurface) return;
  TCanvas& canvas = FSurface->Canvas();
  const int width = FSurface->Width();
  constexpr int Margin = 4;
  std::vector<std::string> lines;
  std::string line;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find(' ', at), text.size());
    const std::string word = text.substr(at, end - at);
    const std::string longer = line.empty() ? word : line + " " + word;
    if (!line.empty() && canvas.TextWidth(longer) > width - 2 * Margin) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
    at = end + 1;
  }
  if (!line.empty()) lines.push_back(line);
  const int lineHeight = canvas.TextHeight("Ag") + 2;
  const int top = std::max(0, (FSurface->Height() - lineHeight * static_cast<int>(lines.size())) / 2);
  const auto brush = canvas.Brush;  // the game draws its fuse digits with this canvas too
  const auto font = canvas.Font.Color;
  canvas.Brush.Color = clBlack;
  canvas.FillRect({0, top - Margin, width, top + lineHeight * static_cast<int>(lines.size()) + Margin});
  canvas.Font.Color = clWhite;
  canvas.Brush.Style = bsClear;
  for (size_t i = 0; i < lines.size(); ++i)
    canvas.TextOut(std::max(Margin, (width - canvas.TextWidth(lines[i])) / 2), top + lineHeight * static_cast<int>(i),
                   lines[i]);
  canvas.Brush = brush;
  canvas.Font.Color = font;
  FSurface->Invalidate();
  Present();
}

void TGameHost::PointerStartsAt(int x, int y) {
  FStartX = x;
  FStartY = y;
}

bool TGameHost::EndByInput() {
  if (FOptions.Mode != TRunMode::rmSaver || FEnded) return false;
  FEnded = true;
  return true;
}

bool TGameHost::PointerMoved(int x, int y) {
  return MovedBeyondTolerance(FStartX, FStartY, x, y, FOptions.PointerTolerance) && EndByInput();
}

bool TGameHost::Key() { return EndByInput(); }

bool TGameHost::Click() { return EndByInput(); }

void TGameHost::Present() {
  if (!FSurface || !FSurface->HasChanges()) return;
  const std::vector<TRect>& changed = FSurface->TakeChanged();
  if (!FWindow) return;
  if (FOptions.Presented) FOptions.Presented(changed);
  FWindow->Present(changed);
}

}  // namespace detonix
