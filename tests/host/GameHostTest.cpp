#include "host/GameHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/MemoryWindow.h"
#include "platform/Clock.h"
#include "platform/Timer.h"

namespace detonix {
namespace {

using TPixels = TMemoryWindow;

// A host on a virtual clock with fixed settings and seed, on a window of 640 by 480.
struct THostCase {
  explicit THostCase(TRunMode mode, TSettings settings = {}) : App(Clock), Host(App, Options(mode, settings), &Window) {}
  static THostOptions Options(TRunMode mode, TSettings settings) {
    THostOptions options;
    options.Mode = mode;
    options.ReadSettings = [settings] { return settings; };
    options.Seed = 3;
    return options;
  }
  bool Build(TPixels& pixels) { return Host.Build(pixels.Bits.data(), pixels.Width, pixels.Height, pixels.Width * 4); }
  TVirtualClock Clock;
  TApplication App;
  TMemoryWindow Window{640, 480};
  TGameHost Host;
};

TEST(GameHost, OnlyTheSaverEndsOnInputAndThePointerNeedsMoreThan20PixelsOnOneAxis) {
  EXPECT_FALSE(MovedBeyondTolerance(500, 400, 500, 400));
  EXPECT_FALSE(MovedBeyondTolerance(500, 400, 520, 420)) << "exactly 20 on both axes stays";
  EXPECT_FALSE(MovedBeyondTolerance(500, 400, 480, 380));
  EXPECT_TRUE(MovedBeyondTolerance(500, 400, 521, 400));
  EXPECT_TRUE(MovedBeyondTolerance(500, 400, 500, 379));
  EXPECT_FALSE(MovedBeyondTolerance(500, 400, 515, 415)) << "each axis by itself, not the straight-line distance";
  EXPECT_TRUE(MovedBeyondTolerance(0, 0, -21, 0));

  THostCase saver(TRunMode::rmSaver);
  saver.Host.PointerStartsAt(500, 400);
  EXPECT_FALSE(saver.Host.PointerMoved(520, 380));
  EXPECT_FALSE(saver.Host.Ended());
  EXPECT_TRUE(saver.Host.PointerMoved(479, 400));
  EXPECT_TRUE(saver.Host.Ended());
  EXPECT_FALSE(saver.Host.Key()) << "the run ends once";

  for (TRunMode mode : {TRunMode::rmWindow, TRunMode::rmForeign, TRunMode::rmPreview}) {
    THostCase other(mode);
    other.Host.PointerStartsAt(0, 0);
    EXPECT_FALSE(other.Host.Key() || other.Host.Click() || other.Host.PointerMoved(500, 500));
    EXPECT_FALSE(other.Host.Ended()) << "mode " << static_cast<int>(mode);
  }
}

TEST(GameHost, APreviewHasCellsOfItsWidthDiv14AndNoSound) {
  EXPECT_EQ(PreviewCellSize(152), 10);
  EXPECT_EQ(PreviewCellSize(140), 10);
  EXPECT_EQ(PreviewCellSize(139), 9);
  EXPECT_EQ(PreviewCellSize(13), 0);
  EXPECT_EQ(PreviewCellSize(0), 0);

  THostCase c(TRunMode::rmPreview, [] {
    TSettings s;
    s.Sounds = true;
    return s;
  }());
  TPixels pixels(152, 112);
  ASSERT_TRUE(c.Build(pixels)) << c.Host.Failure();
  const TGameState& s = c.Host.Simulator()->State();
  EXPECT_EQ(s.CellSize, 10);
  EXPECT_EQ(s.ColCount, 15);
  EXPECT_EQ(s.RowCount, 11);
  EXPECT_FALSE(c.Host.Simulator()->SoundsOn());
}

TEST(GameHost, ABoardThatCannotBeMadeIsBlackAndEndsOnlyAFirstStartInTheProgramsOwnWindow) {
  TSettings noFloor;
  noFloor.PerBlocksLeft = 1.0;  // no maze can be made
  for (TRunMode mode : {TRunMode::rmWindow, TRunMode::rmSaver, TRunMode::rmForeign, TRunMode::rmPreview}) {
    THostCase c(mode, noFloor);
    EXPECT_FALSE(c.Host.Start());
    EXPECT_EQ(c.Host.Failure(), "Error Creating Maze - change Maze options");
    EXPECT_EQ(c.Host.Simulator(), nullptr);
    EXPECT_TRUE(c.Window.AllBlack());
    c.Host.Present();
    ASSERT_EQ(c.Window.Presented.size(), 1u) << "the black board goes to the screen";
    EXPECT_EQ(c.Window.Presented[0], (TRect{0, 0, 640, 480}));
    EXPECT_EQ(c.Host.Ended(), mode == TRunMode::rmWindow) << "mode " << static_cast<int>(mode);
  }

  // A window beyond any screen gets no pixels at all: they would cost gigabytes.
  THostCase huge(TRunMode::rmWindow);
  huge.Window.Width = MaxSurfaceSide + 1;
  EXPECT_FALSE(huge.Host.Start());
  EXPECT_EQ(huge.Window.PixelsGiven, 0);
  EXPECT_EQ(huge.Host.Failure().rfind("Board too large", 0), 0u) << huge.Host.Failure();
  EXPECT_TRUE(huge.Host.Ended());
  // A window gone is never asked for pixels or drawn on again.
  THostCase gone(TRunMode::rmWindow);
  ASSERT_TRUE(gone.Host.Start());
  gone.Host.ForgetWindow();
  gone.Window.Presented.clear();
  EXPECT_FALSE(gone.Host.Start());
  gone.Host.Present();
  EXPECT_EQ(gone.Window.PixelsGiven, 1);
  EXPECT_TRUE(gone.Window.Presented.empty());
  EXPECT_TRUE(gone.Host.Ended());

  // Later, at a size too small for some settings' mazes, the window waits black instead.
  THostCase window(TRunMode::rmWindow);
  TPixels fits(300, 240);
  ASSERT_TRUE(window.Build(fits));
  TPixels tiny(90, 90);
  EXPECT_FALSE(window.Build(tiny));
  EXPECT_EQ(window.Host.Failure(), "Board too small: 3 by 3 cells, at least 8 by 8");
  EXPECT_TRUE(tiny.AllBlack());
  EXPECT_FALSE(window.Host.Ended());
}

// Where no box may be shown, a failure is written on the board; the game's own text drawing
// (its fuse digits on a clear brush) is left as it was.
TEST(GameHost, TextIsWrittenWhiteOnABlackBandAndTheCanvasIsLeftAsItWas) {
  THostCase c(TRunMode::rmForeign);
  TPixels pixels(300, 240);
  ASSERT_TRUE(c.Build(pixels));
  c.Host.ShowText("Error Creating Maze - change Maze options");
  int white = 0;
  for (uint32_t p : pixels.Bits) white += (p & 0xFFFFFFu) == 0xFFFFFFu;
  EXPECT_GT(white, 30) << "the text";
  EXPECT_EQ(pixels.Bits[static_cast<size_t>(120) * 300 + 1] & 0xFFFFFFu, 0u) << "the band behind it, left edge";
  EXPECT_EQ(c.Host.Surface()->Canvas().Brush.Style, bsClear);
}

TEST(GameHost, ANewSizeGetsANewGameOnTheNewPixels) {
  THostCase c(TRunMode::rmWindow);
  TPixels small(300, 240);
  ASSERT_TRUE(c.Build(small));
  EXPECT_EQ(c.Host.Simulator()->State().ColCount, 10);
  EXPECT_FALSE(small.AllBlack());

  TPixels large(600, 480);
  ASSERT_TRUE(c.Build(large));
  const TGameState& s = c.Host.Simulator()->State();
  EXPECT_EQ(s.ColCount, 20);
  EXPECT_EQ(s.RowCount, 16);
  EXPECT_EQ(&c.Host.Surface()->Bitmap().Bits()[0], reinterpret_cast<const uint8_t*>(large.Bits.data()));
  // The old pixels may be gone: the game must no longer draw into them.
  small.Bits.assign(small.Bits.size(), 0x123456u);
  TVirtualLoop(c.App, c.Clock).RunFor(5000);
  for (uint32_t p : small.Bits) ASSERT_EQ(p, 0x123456u);
}

TEST(GameHost, TheLoopStepIdlesOnlyWithoutWaitingEventsAndSleepsUntilTheNextTimer) {
  TVirtualClock clock;
  TApplication app(clock);
  int fired = 0;
  int idles = 0;
  int presents = 0;
  const TIdleRegistration idle = app.AddIdleHandler([&idles] { ++idles; });
  const auto present = [&presents] { ++presents; };
  EXPECT_EQ(RunLoopStep(app, present), std::nullopt) << "no timer: sleep until an event";
  EXPECT_EQ(idles, 1);
  EXPECT_EQ(presents, 2) << "after the timers and after the idle event";

  TTimer timer(app.Timers(), 250, [&fired](TTimer&) { ++fired; });
  EXPECT_EQ(RunLoopStep(app, present, [] { return true; }), 250);
  EXPECT_EQ(idles, 1) << "a waiting event goes before the idle event";
  clock.Advance(100);
  EXPECT_EQ(RunLoopStep(app, present), 150);
  EXPECT_EQ(fired, 0);
  clock.Advance(180);  // 30 ms late
  EXPECT_EQ(RunLoopStep(app, present), 250 - 30) << "the next tick is due 250 ms after the last was due";
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(idles, 3);
}

}  // namespace
}  // namespace detonix
