#include "host/SaverScreens.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/MemoryWindow.h"
#include "media/SoundOutput.h"
#include "platform/Clock.h"

namespace detonix {
namespace {

class TQuietSound final : public TSoundOutput {
 public:
  int WaveOutDeviceCount() const override { return 1; }
  void PlayWaveAsync(std::span<const uint8_t>) override {}
  void StartWorker(std::function<void()> body) override { body(); }
};

// A run on a virtual clock with a shell of its own; every screen gets a window of its monitor's size.
struct TScreensCase final : THostShell {
  TScreensCase(TRunMode mode, TSettings settings, bool boxOverSaver = false)
      : App(Clock), BoxOver(boxOverSaver), Screens(App, *this, [&] {
          TScreensOptions o;
          o.Mode = mode;
          o.ReadSettings = [settings] { return settings; };
          o.Seed = 7;
          return o;
        }()) {}
  bool Add(const TMonitor& m) {
    Windows.push_back(std::make_unique<TMemoryWindow>(m.Bounds.Width(), m.Bounds.Height()));
    return Screens.Build(Screens.Add(*Windows.back(), m));
  }
  const std::vector<uint32_t>& Pixels(size_t i) const { return Windows[i]->Bits; }
  bool HandleEvents() override { return Turns-- > 0; }
  void Wait(std::optional<int64_t>) override {}
  void ShowBox(const std::string& text) override { Boxes.push_back(text); }
  bool BoxOverSaver() const override { return BoxOver; }
  std::shared_ptr<TSoundOutput> MakeSound() override {
    ++SoundsOpened;
    return std::make_shared<TQuietSound>();
  }
  TVirtualClock Clock;
  TApplication App;
  bool BoxOver;
  int Turns = 0;  // of Run's loop
  int SoundsOpened = 0;
  std::vector<std::string> Boxes;
  std::vector<std::unique_ptr<TMemoryWindow>> Windows;
  TSaverScreens Screens;
};

TEST(SaverScreens, EachMonitorHasCellsAndPointerRuleAtItsScaleASeedOfItsOwnAndOneSoundAndAnyInputEndsAll) {
  TSettings loud;
  loud.Sounds = true;
  TScreensCase c(TRunMode::rmSaver, loud);
  const int dpis[] = {96, 144, 192};
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(c.Add({TRect{i * 600, 0, i * 600 + 600, 480}, dpis[i]}));
  for (size_t i = 0; i < 3; ++i) {
    const TDetonixSimulator& sim = *c.Screens.Host(i).Simulator();
    EXPECT_EQ(sim.State().CellSize, 30 * dpis[i] / 96) << dpis[i] << " dpi";
    EXPECT_EQ(sim.State().Random.LastSeed(), 7 + i) << "the given seed is the first monitor's";
    EXPECT_TRUE(sim.SoundsOn());
  }
  EXPECT_EQ(c.SoundsOpened, 1) << "one sound for every monitor";

  c.Screens.PointerStartsAt(700, 300);
  EXPECT_FALSE(c.Screens.PointerMoved(1, 730, 300)) << "30 pixels is the rule at 144 dpi";
  EXPECT_FALSE(c.Screens.Ended());
  EXPECT_TRUE(c.Screens.PointerMoved(0, 721, 300)) << "21 pixels ends it at 96 dpi";
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(c.Screens.Host(i).Ended()) << "screen " << i << " ends with the others";
  EXPECT_FALSE(c.Screens.Key(2)) << "the run ends once";

  TScreensCase quiet(TRunMode::rmPreview, loud);
  quiet.Add({TRect{0, 0, 152, 112}, 192});
  EXPECT_EQ(quiet.SoundsOpened, 0) << "a preview opens no sound";
  EXPECT_EQ(quiet.Screens.Host(0).Simulator()->State().CellSize, 10) << "and keeps its cells of width div 14";
}

// A failure in the program's own window ends the run; on a saver's monitor and in someone else's
// window it is written on the black board, which waits. Messages go into a box only where one can
// be answered.
TEST(SaverScreens, FailuresAndMessagesGoWhereTheUserCanSeeThem) {
  TSettings noMaze;
  noMaze.PerBlocksLeft = 1.0;
  const auto lit = [](const std::vector<uint32_t>& pixels) {
    int n = 0;
    for (uint32_t p : pixels) n += (p & 0xFFFFFFu) != 0;
    return n;
  };
  TScreensCase saver(TRunMode::rmSaver, TSettings{}, true);
  ASSERT_TRUE(saver.Add({TRect{0, 0, 300, 240}}));
  EXPECT_FALSE(saver.Add({TRect{300, 0, 480, 150}})) << "6 by 5 cells";
  EXPECT_TRUE(!saver.Screens.Ended() && saver.Screens.Host(0).Simulator()) << "the other monitor plays on";
  EXPECT_GT(lit(saver.Pixels(1)), 30) << "the reason on the black board, though a box would stay in front";
  EXPECT_TRUE(saver.Screens.Key(1) && saver.Screens.Host(0).Ended()) << "input on the black monitor ends the saver";
  TScreensCase foreign(TRunMode::rmForeign, noMaze);
  EXPECT_FALSE(foreign.Add({TRect{0, 0, 300, 240}}));
  EXPECT_FALSE(foreign.Screens.Ended());
  EXPECT_GT(lit(foreign.Pixels(0)), 30) << "the reason on the board";

  const struct {
    TRunMode Mode;
    bool BoxOverSaver;
    bool Box;
    bool OnBoard;
  } cases[] = {{TRunMode::rmWindow, false, true, false},
               {TRunMode::rmSaver, true, true, false},
               {TRunMode::rmSaver, false, false, true},
               {TRunMode::rmForeign, true, false, true},
               {TRunMode::rmPreview, true, false, false}};
  for (const auto& k : cases) {
    TScreensCase c(k.Mode, TSettings{}, k.BoxOverSaver);
    ASSERT_TRUE(c.Add({TRect{0, 0, 300, 240}}));
    const std::vector<uint32_t> before = c.Pixels(0);
    c.App.ShowMessage("Timer could not be created");
    int changed = 0;
    for (size_t i = 0; i < before.size(); ++i) changed += before[i] != c.Pixels(0)[i];
    const std::string mode = std::to_string(static_cast<int>(k.Mode)) + (k.BoxOverSaver ? " over" : "");
    EXPECT_EQ(c.Boxes.size(), k.Box ? 1u : 0u) << "mode " << mode;
    EXPECT_EQ(changed > 300, k.OnBoard) << "mode " << mode << ": a band across the board";
  }
}

// While the saver runs, monitors come, go and change; a shell lists them and is told what to do
// with its windows. The screens it holds keep their indexes.
TEST(SaverScreens, MonitorsThatComeGoOrChangeWhileRunningKeepEveryOtherScreenPlaying) {
  TScreensCase c(TRunMode::rmSaver, TSettings{});
  c.Screens.PointerStartsAt(300, 200);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(c.Add({TRect{i * 600, 0, i * 600 + 600, 480}}));
  // The first at a new mode and 200 %, which moves the second along; the third gone.
  std::vector<TMonitor> now = {{TRect{0, 0, 400, 300}, 192}, {TRect{400, 0, 1000, 480}}};
  auto changes = c.Screens.MonitorsChanged(now);
  EXPECT_EQ(changes.Removed, std::vector<size_t>{2});
  EXPECT_EQ(changes.Changed, (std::vector<size_t>{0, 1}));
  EXPECT_FALSE(c.Screens.Key(2) || c.Screens.Ended()) << "a removed screen's game and input end nothing";
  c.Turns = 1;
  c.Screens.Run();
  EXPECT_EQ(c.Screens.Host(0).Simulator()->State().CellSize, 60) << "a new scale, a new game";
  // One more, mirrored on two outputs.
  now.insert(now.end(), {{TRect{1000, 0, 1600, 480}}, {TRect{1000, 0, 1600, 480}, 144}});
  changes = c.Screens.MonitorsChanged(now);
  ASSERT_EQ(changes.Added.size(), 1u) << "mirrored monitors get one screen";
  EXPECT_TRUE(changes.Changed.empty() && changes.Removed.empty());
  ASSERT_TRUE(c.Add(changes.Added[0]));
  EXPECT_FALSE(c.Screens.PointerMoved(3, 310, 205)) << "a new screen knows where the pointer started";
  EXPECT_TRUE(c.Screens.Key(3) && c.Screens.Host(0).Ended() && c.Screens.Host(1).Ended());
  EXPECT_TRUE(c.Screens.MonitorsChanged({}).Removed.empty()) << "no monitor at all is a moment between layouts";
}

TEST(SaverScreens, TheDesktopsScaleBecomesCellsOf30PixelsTimesIt) {
  EXPECT_EQ(ScaledCellSize(96), -1) << "the pictures' own 30 pixels";
  EXPECT_EQ(ScaledCellSize(120), 38);
  EXPECT_EQ(ScaledCellSize(144), 45);
  EXPECT_EQ(ScaledCellSize(192), 60);
  EXPECT_EQ(ScaledPointerTolerance(144), 30);
  EXPECT_EQ(XftDpi("Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n"), 144);
  EXPECT_EQ(XftDpi("Xft.dpi: 192.4"), 192);
  EXPECT_EQ(XftDpi("Xcursor.size:\t24\n"), std::nullopt);
  EXPECT_EQ(XftDpi("Xft.dpi:\tlarge\n"), std::nullopt);
  EXPECT_EQ(XftDpi("Xft.dpi:\t0\n"), std::nullopt);
  EXPECT_EQ(XftDpi("NoXft.dpi:\t144\n"), std::nullopt);
  EXPECT_EQ(MeasuredDpi(0), 96) << "SDL could not say";
  EXPECT_EQ(MeasuredDpi(93.98), 96) << "a monitor near 100 %";
  EXPECT_EQ(MeasuredDpi(40), 96) << "a television is not scaled down";
  EXPECT_EQ(MeasuredDpi(141.2), 144);
  EXPECT_EQ(MeasuredDpi(1238.0), 384) << "no denser than the largest scale a run may be given";
  EXPECT_EQ(MeasuredDpi(1920, 1080, 10, 10), 96) << "10 mm is no monitor's size";
  EXPECT_EQ(MeasuredDpi(3840, 2160, 346, 194), 288) << "a 15.6-inch 4K panel";
  EXPECT_EQ(DpiOfScale(1.5), 144);
  EXPECT_EQ(FitCellSize(1920, 1080, 240), 135) << "Xft.dpi 768 on 1080p: the largest cells that leave 8 rows";
  EXPECT_EQ(FitCellSize(1920, 1080, 60), 60);
  EXPECT_EQ(FitCellSize(200, 200, 60), -1) << "never below the pictures' own";
  EXPECT_EQ(FitCellSize(1920, 1080, 15), 15) << "a scale below 100 % is kept";
}

}  // namespace
}  // namespace detonix
