// The full-screen saver on several monitors, in-process on SDL's dummy video driver with a layout
// made up for the test: a window with a game on each monitor, at that monitor's size and place, and
// a key on any of them ends the run (the screens' own rules are tested in tests/host).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <utility>

#include "shell/sdl/SdlShell.h"

namespace detonix::sdl {
namespace {

class SaverMonitors : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // An empty settings folder: the defaults, whatever the user has saved.
    setenv("XDG_CONFIG_HOME", (std::filesystem::temp_directory_path() / "detonix-monitors-test").c_str(), 1);
  }

  static void ExpectAGamePerMonitor(const std::vector<TMonitor>& layout) {
    commandline::TShellOptions options;
    options.Mode = TRunMode::rmSaver;
    options.Seed = 40;
    TSdlShell shell(options, [layout] { return layout; });
    ASSERT_TRUE(shell.Open());
    const auto& windows = shell.Windows();
    ASSERT_EQ(windows.size(), layout.size());
    for (size_t i = 0; i < layout.size(); ++i) {
      const TGameHost& host = shell.Screens().Host(windows[i]->Index);
      ASSERT_TRUE(host.Simulator()) << "monitor " << i << " has no game: " << host.Failure();
      EXPECT_EQ(host.Surface()->Bitmap().Width(), layout[i].Bounds.Width()) << "monitor " << i;
      EXPECT_EQ(host.Surface()->Bitmap().Height(), layout[i].Bounds.Height()) << "monitor " << i;
      int x = -1;
      int y = -1;
      SDL_GetWindowPosition(windows[i]->Window, &x, &y);
      EXPECT_EQ(x, layout[i].Bounds.Left) << "monitor " << i;
      EXPECT_EQ(y, layout[i].Bounds.Top) << "monitor " << i;
    }

    // A key on the last monitor; Loop returns only once the run has ended.
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = SDL_GetWindowID(windows.back()->Window);
    key.key.keysym.sym = SDLK_a;
    ASSERT_EQ(SDL_PushEvent(&key), 1) << SDL_GetError();
    EXPECT_EQ(shell.Loop(), 0);
  }
};

TEST_F(SaverMonitors, TwoMonitorsOfDifferentSizes) {
  ExpectAGamePerMonitor({{TRect{0, 0, 800, 600}}, {TRect{800, 0, 1440, 480}}});
}

TEST_F(SaverMonitors, ThreeMonitorsOneAboveAndOneLeftOfTheFirst) {
  ExpectAGamePerMonitor({{TRect{0, 0, 900, 700}}, {TRect{0, -480, 640, 0}}, {TRect{-600, 100, 0, 460}}});
}

// Like Wayland, the dummy driver cannot tell where the pointer is before it first reports: that
// report is the start, not a movement away from 0,0; the rule's 20 pixels count from there.
TEST_F(SaverMonitors, ThePointersFirstReportIsWhereItStarts) {
  commandline::TShellOptions options;
  options.Mode = TRunMode::rmSaver;
  TSdlShell shell(options, [] { return std::vector<TMonitor>{{TRect{0, 0, 800, 600}}}; });
  ASSERT_TRUE(shell.Open());
  for (const auto& [x, y] : {std::pair{500, 400}, {520, 380}, {521, 400}}) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(shell.Windows().front()->Window);
    motion.motion.x = x;
    motion.motion.y = y;
    ASSERT_EQ(SDL_PushEvent(&motion), 1) << SDL_GetError();
  }
  EXPECT_EQ(shell.Loop(), 0);
  EXPECT_EQ(SDL_PeepEvents(nullptr, 8, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION), 0)
      << "the saver ended before the pointer left its start by more than 20 pixels";
}

}  // namespace
}  // namespace detonix::sdl
