// Whole games on the virtual clock, with the state and the picture checked after every instant.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "support/SimHarness.h"

namespace detonix::test {

namespace {

// A player waits at most for its own bomb's fuse and fire, plus the time a blocked escape takes;
// anything near the stall limit means a player that can no longer act.
constexpr int64_t MaxIdleMs = 30'000;

struct TSoakRun {
  const char* Name;
  int Cols, Rows, Cell, Speed;
  bool Forced;  // one-minute games; else games end only by lives (or the stall guard)
  int Minutes;
  uint64_t Seed;
};

std::string Where(SimHarness& h, int x, int y) {
  std::ostringstream out;
  out << "game " << h.Sim->Games() << " at " << h.Now() << " ms, cell " << x << "," << y << " (object "
      << Ord(h.State().MazeGrid.GetCell(x, y)) << ", fire count " << int{h.Sim->ExplosionCountGrid().GetCell(x, y)}
      << ")";
  return out.str();
}

// Bombs and fuses agree, nobody stands in a wall, no message was needed, and fire burns exactly
// where the count says and only within reach of a bomb that is exploding now.
void CheckState(SimHarness& h) {
  const TGameState& s = h.State();
  std::vector<const TBombRecord*> exploding;
  for (int x = 0; x < s.ColCount; ++x)
    for (int y = 0; y < s.RowCount; ++y)
      if (const TBombRecord* bomb = s.BombTimerGrid.GetBomb(x, y); bomb && bomb->FuseCount == 0)
        exploding.push_back(bomb);
  for (int x = 0; x < s.ColCount; ++x) {
    for (int y = 0; y < s.RowCount; ++y) {
      const TObjectType t = s.MazeGrid.GetCell(x, y);
      const TBombRecord* bomb = s.BombTimerGrid.GetBomb(x, y);
      if (t == otBomb) {
        ASSERT_NE(bomb, nullptr) << Where(h, x, y) << ": bomb without a fuse";
      }
      if (bomb) {
        ASSERT_EQ(bomb->Position, (TPoint{x, y})) << Where(h, x, y);
        ASSERT_TRUE(t == otBomb || t == otExplosion) << Where(h, x, y) << ": a fuse under something else";
      }
      const int count = h.Sim->ExplosionCountGrid().GetCell(x, y);
      ASSERT_GE(count, 0) << Where(h, x, y);
      const bool fire = t == otExplosion || t == otBExplosion;
      ASSERT_EQ(fire, count > 0) << Where(h, x, y) << ": fire and fire count disagree";
      if (!fire) continue;
      bool reached = false;
      for (const TBombRecord* b : exploding)
        reached = reached || (b->Position.X == x && std::abs(b->Position.Y - y) <= b->Size) ||
                  (b->Position.Y == y && std::abs(b->Position.X - x) <= b->Size);
      ASSERT_TRUE(reached) << Where(h, x, y) << ": burns with no exploding bomb in reach";
    }
  }
  for (const TPlayer* p : {s.Player1, s.Player2}) {
    ASSERT_TRUE(s.OnBoard(p->Position));
    const TObjectType t = s.MazeGrid.GetCell(p->Position);
    ASSERT_TRUE(t != otBlock && t != otExpBlock) << Where(h, p->Position.X, p->Position.Y) << ": player in a wall";
  }
  ASSERT_TRUE(h.App.Messages().empty()) << h.App.Messages().front();
}

bool SameCell(const TBitmap& a, const TBitmap& b, int x, int y, int size) {
  for (int row = y * size; row < (y + 1) * size; ++row)
    for (int col = x * size; col < (x + 1) * size; ++col)
      if (a.Row(row)[col] != b.Row(row)[col]) return false;
  return true;
}

// The surface equals a full repaint of the same state. The one allowed difference: when
// invisibility ends the pale figure stays until the player's cell is next drawn.
void CheckPicture(SimHarness& h, TBitmap& shown) {
  const TBitmap& surface = h.Surface.Bitmap();
  if (shown.Width() != surface.Width() || shown.Height() != surface.Height()) shown = surface;
  for (int y = 0; y < surface.Height(); ++y)
    std::memcpy(shown.Row(y), surface.Row(y), static_cast<size_t>(surface.Width()) * 4);
  h.Sim->DrawBoard();
  bool same = true;
  for (int y = 0; y < surface.Height() && same; ++y)
    same = std::memcmp(shown.Row(y), surface.Row(y), static_cast<size_t>(surface.Width()) * 4) == 0;
  if (same) return;
  const TGameState& s = h.State();
  for (int x = 0; x < s.ColCount; ++x) {
    for (int y = 0; y < s.RowCount; ++y) {
      if (SameCell(shown, h.Surface.Bitmap(), x, y, s.CellSize)) continue;
      TPlayer* p = const_cast<TPlayer*>(s.FindPlayerAt({x, y}));
      bool allowed = false;
      if (p && p->Visible) {
        p->Visible = false;
        h.Sim->DrawBoard();
        allowed = SameCell(shown, h.Surface.Bitmap(), x, y, s.CellSize);
        p->Visible = true;
        h.Sim->DrawBoard();
      }
      ASSERT_TRUE(allowed) << Where(h, x, y) << ": the picture differs from a full repaint";
    }
  }
}

void PrintTo(const TSoakRun& run, std::ostream* out) { *out << run.Name; }

class Soak : public ::testing::TestWithParam<TSoakRun> {};

TEST_P(Soak, EveryInstantKeepsStateAndPictureTrue) {
  const TSoakRun& r = GetParam();
  TSettings settings;
  settings.PlayerSpeed = r.Speed;
  settings.ForceMaze = r.Forced;
  settings.ForceInterval = 1;
  SimHarness h(r.Cols, r.Rows, r.Cell, settings, r.Seed);
  int64_t bombs = 0;
  int64_t instants = 0;
  bool failed = false;
  TBitmap shown;
  h.Sim->OnGameOver = [&](TGameEnd end) {
    EXPECT_NE(end, TGameEnd::geStall) << "game " << h.Sim->Games() << " stalled at " << h.Now() << " ms";
  };
  auto checkGame = [&] {
    const TGameStats stats = h.Sim->Stats();
    bombs += stats.BombsLaid;
    for (const TPlayerStats& p : stats.Players)
      EXPECT_LE(p.LongestIdleMs, MaxIdleMs) << "game " << h.Sim->Games() << ": a player could not act";
  };
  h.Sim->OnBeforeNewGame = checkGame;
  auto check = h.App.AddIdleHandler([&] {
    if (failed) return;
    ++instants;
    CheckState(h);
    if (!::testing::Test::HasFatalFailure()) CheckPicture(h, shown);
    failed = ::testing::Test::HasFatalFailure();
  });
  const int64_t endMs = static_cast<int64_t>(r.Minutes) * 60'000;
  while (!failed && h.Loop.Step(endMs)) {
  }
  checkGame();
  RecordProperty("games", static_cast<int>(h.Sim->Games()));
  RecordProperty("instants", static_cast<int>(instants));
  std::printf("%s: %lld games, %lld instants checked\n", r.Name, static_cast<long long>(h.Sim->Games()),
              static_cast<long long>(instants));
  EXPECT_GT(bombs, h.Sim->Games()) << "the players must actually play";
}

#ifdef DETONIX_SANITIZED
constexpr int Scale = 10;  // the same games, fewer of them: the sanitizers run several times slower
#else
constexpr int Scale = 1;
#endif

INSTANTIATE_TEST_SUITE_P(
    Boards, Soak,
    ::testing::Values(TSoakRun{"forced_11x9_digits", 11, 9, -1, 300, true, 150 / Scale, 11},
                      TSoakRun{"forced_15x11", 15, 11, 10, 300, true, 900 / Scale, 12},
                      TSoakRun{"forced_17x9", 17, 9, 10, 200, true, 900 / Scale, 13},
                      TSoakRun{"forced_21x15", 21, 15, 5, 300, true, 700 / Scale, 14},
                      TSoakRun{"forced_34x25", 34, 25, 5, 300, true, 400 / Scale, 15},
                      TSoakRun{"default_11x9_digits", 11, 9, -1, 300, false, 60 / Scale, 21},
                      TSoakRun{"default_15x11", 15, 11, 10, 150, false, 60 / Scale, 22},
                      TSoakRun{"default_17x9", 17, 9, 10, 100, false, 60 / Scale, 23},
                      TSoakRun{"default_21x15", 21, 15, 5, 120, false, 60 / Scale, 24},
                      TSoakRun{"default_34x25", 34, 25, 5, 200, false, 60 / Scale, 25}),
    [](const ::testing::TestParamInfo<TSoakRun>& run) { return std::string(run.param.Name); });

}  // namespace

}  // namespace detonix::test
