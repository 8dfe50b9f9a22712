// Rescaling the picture lists for the preview, and painting a full-screen board from them.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "media/Pictures.h"
#include "platform/Canvas.h"

namespace detonix {
namespace {

void ResizeList(benchmark::State& state, const TResizableImageList& original) {
  for (auto _ : state) {
    state.PauseTiming();
    TResizableImageList list = original;
    state.ResumeTiming();
    const bool ok = list.ResizeImages(10, 10);
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations() * original.Count());
}

// Painting the pictures at the start: before the first frame can be shown.
void BM_PaintObjectPictures(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(CreateObjectImages());
}
BENCHMARK(BM_PaintObjectPictures)->Unit(benchmark::kMillisecond);

void BM_PaintPlayerPictures(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(CreatePlayerImages());
}
BENCHMARK(BM_PaintPlayerPictures)->Unit(benchmark::kMillisecond);

void BM_ResizeImagesPlayers30To10(benchmark::State& state) { ResizeList(state, *CreatePlayerImages()); }
BENCHMARK(BM_ResizeImagesPlayers30To10)->Unit(benchmark::kMicrosecond);

void BM_ResizeImagesObjects30To10(benchmark::State& state) { ResizeList(state, *CreateObjectImages()); }
BENCHMARK(BM_ResizeImagesObjects30To10)->Unit(benchmark::kMicrosecond);

// A 1920x1080 board of 30-pixel cells (64 x 36), composed as a full repaint does: the floor in
// every cell, then blocks, bricks, power-ups, a few bombs with their count and two players.
void BM_DrawBoard1920x1080(benchmark::State& state) {
  const auto objects = CreateObjectImages();
  const auto players = CreatePlayerImages();
  TBitmap screen(1920, 1080);
  TCanvas canvas(screen);
  canvas.Font.Color = clWhite;
  canvas.Brush.Style = bsClear;
  constexpr int Cols = 1920 / 30;
  constexpr int Rows = 1080 / 30;
  for (auto _ : state) {
    for (int y = 0; y < Rows; ++y)
      for (int x = 0; x < Cols; ++x) {
        const int px = x * 30;
        const int py = y * 30;
        objects->Draw(canvas, px, py, 1);
        const int kind = (x * 7 + y * 13) % 11;
        if (x % 2 == 1 && y % 2 == 1) {
          objects->Draw(canvas, px, py, 0);
        } else if (kind == 3) {
          objects->Draw(canvas, px, py, 3);
          const std::string count = std::to_string(1 + (x + y) % 10);
          canvas.TextOut(px + (30 - canvas.TextWidth(count)) / 2, py + 11, count);
        } else if (kind != 1 && kind != 5 && kind != 0) {
          objects->Draw(canvas, px, py, kind < 3 ? 2 : kind);
        }
      }
    players->Draw(canvas, 30, 30, 0);
    players->Draw(canvas, 1860, 1020, 7, dsFocus, itImage);
    benchmark::DoNotOptimize(screen.Row(0)[0]);
  }
  state.SetItemsProcessed(state.iterations() * Cols * Rows);
}
BENCHMARK(BM_DrawBoard1920x1080)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace detonix
