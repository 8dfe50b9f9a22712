#include "engine/MazeGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>
#include <stdexcept>
#include <string>

#include "engine/DetonixSim.h"
#include "support/BoardPicture.h"

namespace detonix {
namespace {

using test::BoardFromPicture;
using test::TBoard;

struct TCounts {
  int Fixed = 0;
  int Destructible = 0;
  int Floor = 0;
  int Other = 0;
  int Hidden = 0;
};

TCounts Count(const TGameState& s) {
  TCounts c;
  for (int x = 0; x < s.ColCount; ++x)
    for (int y = 0; y < s.RowCount; ++y) {
      switch (s.MazeTemplate.GetCell(x, y)) {
        case otBlock: ++c.Fixed; break;
        case otExpBlock: ++c.Destructible; break;
        case otEmpty: ++c.Floor; break;
        default: ++c.Other; break;
      }
      c.Hidden += s.PowerUpGrid.GetCell(x, y) != -1;
    }
  return c;
}

// Cells that are not fixed blocks, reached from P over such cells, counted by a plain flood fill.
int OpenCellsReachable(const TGameState& s, TPoint p) {
  std::vector<bool> seen(static_cast<size_t>(s.ColCount * s.RowCount));
  std::deque<TPoint> todo{p};
  seen[static_cast<size_t>(p.X * s.RowCount + p.Y)] = true;
  int n = 0;
  while (!todo.empty()) {
    const TPoint q = todo.front();
    todo.pop_front();
    ++n;
    for (const TDirection d : AllDirections) {
      const TPoint r = Neighbour(q, d);
      if (!s.OnBoard(r) || s.MazeTemplate.GetCell(r) == otBlock) continue;
      if (seen[static_cast<size_t>(r.X * s.RowCount + r.Y)]) continue;
      seen[static_cast<size_t>(r.X * s.RowCount + r.Y)] = true;
      todo.push_back(r);
    }
  }
  return n;
}

// Floor cells reachable from P over floor, P included.
std::vector<TPoint> FloorRegion(const TDetonixMazeGrid& maze, TPoint p) {
  std::vector<TPoint> region{p};
  std::vector<bool> seen(static_cast<size_t>(maze.ColCount * maze.RowCount));
  seen[static_cast<size_t>(p.X * maze.RowCount + p.Y)] = true;
  for (size_t i = 0; i < region.size(); ++i)
    for (const TDirection d : AllDirections) {
      const TPoint r = Neighbour(region[i], d);
      if (!maze.InGrid(r.X, r.Y) || maze.GetCell(r) != otEmpty || seen[static_cast<size_t>(r.X * maze.RowCount + r.Y)])
        continue;
      seen[static_cast<size_t>(r.X * maze.RowCount + r.Y)] = true;
      region.push_back(r);
    }
  return region;
}

// What a viable start promises, checked the long way: some floor cell reachable from P touches a
// destructible block, and from that cell a floor cell out of the bomb's lines (or more than 3
// cells along them) is reachable.
bool HasBombableBlock(const TDetonixMazeGrid& maze, TPoint p) {
  for (const TPoint spot : FloorRegion(maze, p)) {
    bool touches = false;
    for (const TDirection d : AllDirections) touches |= maze.GetCell(Neighbour(spot, d)) == otExpBlock;
    if (!touches) continue;
    for (const TPoint q : FloorRegion(maze, spot)) {
      const bool safe = q.X == spot.X ? std::abs(q.Y - spot.Y) > 3 : q.Y == spot.Y ? std::abs(q.X - spot.X) > 3 : true;
      if (safe) return true;
    }
  }
  return false;
}

TEST(MazeCounts, FollowTheBoardAndTheSettings) {
  const TMazeCounts c = ComputeMazeCounts(34, 25, TMazeSettings{});
  EXPECT_EQ(c.Total, 850);
  EXPECT_EQ(c.Fixed, 340);
  EXPECT_EQ(c.ExpTarget, 76);
  EXPECT_EQ(c.Interval, 6);
  const TMazeCounts one = ComputeMazeCounts(4, 4, TMazeSettings{});
  EXPECT_EQ(one.ExpTarget, 1);
  EXPECT_EQ(one.Interval, 4) << "one block aimed at is laid halfway through the 9 cells opened after the first";
}

TEST(MazeCounts, FixedRoundsTiesToEven) {
  EXPECT_EQ(ComputeMazeCounts(5, 1, {0.5, 0.15, 30}).Fixed, 2);  // 2.5
  EXPECT_EQ(ComputeMazeCounts(7, 1, {0.5, 0.15, 30}).Fixed, 4);  // 3.5
  EXPECT_EQ(ComputeMazeCounts(10, 1, {0.26, 0.15, 30}).Fixed, 3);
}

TEST(MazeCounts, WildSettingsStayInRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(ComputeMazeCounts(10, 10, {-0.5, 0.15, 30}).Fixed, 0);
  EXPECT_EQ(ComputeMazeCounts(10, 10, {nan, 0.15, 30}).Fixed, 0);
  EXPECT_EQ(ComputeMazeCounts(10, 10, {1e300, 0.15, 30}).Fixed, 100);
  EXPECT_EQ(ComputeMazeCounts(10, 10, {0.4, 1e300, 30}).Interval, 0);
  EXPECT_EQ(ComputeMazeCounts(10, 10, {0.4, -1e300, 30}).Interval, 60);
  EXPECT_EQ(ComputeMazeCounts(10, 10, {0.4, -1e300, 30}).ExpTarget, 0) << "a negative share reads as 0";
  EXPECT_EQ(ComputeMazeCounts(10, 10, {0.4, nan, 30}).ExpTarget, 0);
}

TEST(GenerateMaze, DefaultBoardOf34By25) {
  for (uint64_t seed = 1; seed <= 25; ++seed) {
    SCOPED_TRACE(seed);
    TBoard b(34, 25);
    b.State.Random.Seed(seed);
    TPoint s1;
    TPoint s2;
    ASSERT_TRUE(GenerateMaze(b.State, s1, s2));
    const TCounts c = Count(b.State);
    EXPECT_EQ(c.Fixed, 340);
    EXPECT_EQ(c.Destructible, 72);
    EXPECT_EQ(c.Floor, 438);
    EXPECT_EQ(c.Other, 0);
    EXPECT_NE(s1, s2);
    EXPECT_EQ(b.State.MazeTemplate.GetCell(s1), otEmpty);
    EXPECT_EQ(b.State.MazeTemplate.GetCell(s2), otEmpty);
    EXPECT_EQ(OpenCellsReachable(b.State, s1), 850 - 340) << "open cells are not one connected region";
  }
}

TEST(GenerateMaze, SameSeedSameMaze) {
  TBoard a(40, 30);
  TBoard b(40, 30);
  a.State.Random.Seed(77);
  b.State.Random.Seed(77);
  TPoint a1, a2, b1, b2;
  GenerateMaze(a.State, a1, a2);
  GenerateMaze(b.State, b1, b2);
  EXPECT_EQ(a1, b1);
  EXPECT_EQ(a2, b2);
  bool sameCells = true;
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 30; ++y)
      sameCells = sameCells && a.State.MazeTemplate.GetCell(x, y) == b.State.MazeTemplate.GetCell(x, y) &&
                  a.State.PowerUpGrid.GetCell(x, y) == b.State.PowerUpGrid.GetCell(x, y);
  EXPECT_TRUE(sameCells);

  TBoard c(40, 30);
  c.State.Random.Seed(78);
  TPoint c1, c2;
  GenerateMaze(c.State, c1, c2);
  bool differs = false;
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 30; ++y) differs = differs || a.State.MazeTemplate.GetCell(x, y) != c.State.MazeTemplate.GetCell(x, y);
  EXPECT_TRUE(differs) << "another seed should give another maze";
}

// The maze in the board legend with the start cells, then the kinds of the hidden power-ups in
// reading order (bomb, explosion size, kick, invisibility, seeking bombs).
std::string MazeText(const TGameState& s, TPoint start1, TPoint start2) {
  std::string out = test::DrawBoard(s, &s.MazeTemplate);
  for (const TPoint p : {start1, start2})
    if (s.OnBoard(p)) out[static_cast<size_t>(p.Y * (s.ColCount + 1) + p.X)] = p == start1 ? '1' : '2';
  out += "hidden ";
  for (int y = 0; y < s.RowCount; ++y)
    for (int x = 0; x < s.ColCount; ++x) {
      const int hidden = s.PowerUpGrid.GetCell(x, y);
      if (hidden >= Ord(otBombPUP) && hidden <= Ord(otSKBombsPUP)) out += "BEKIS"[hidden - Ord(otBombPUP)];
      else if (hidden != -1) out += '!';
    }
  return out + "\n";
}

// Pins the order of every draw, the power-ups' included: a seed must keep giving the same maze.
TEST(GenerateMaze, ASeedGivesThisMaze) {
  TBoard b(20, 10);
  b.State.Random.Seed(3);
  TPoint s1, s2;
  ASSERT_TRUE(GenerateMaze(b.State, s1, s2));
  EXPECT_EQ(MazeText(b.State, s1, s2),
            "1+..#....*..+......*\n"
            ".##.#.+.....###.###.\n"
            ".##.#..##..+###.###.\n"
            ".##.#..##...###*....\n"
            "....#..##...###.###.\n"
            "+#..#..##...#######.\n"
            "..+....##++.#######*\n"
            ".#....+.....#######.\n"
            ".#.#.#.###..#######.\n"
            "...+.#*....*...+...2\n"
            "hidden EKBIES\n");
}

TEST(GenerateMaze, FourByFourLaysItsOneBlockAndFailsAfterTenAttemptsWithoutRoom) {
  TBoard b(4, 4);
  b.State.Random.Seed(5);
  TMazeGenerator g(b.State);
  TPoint s1, s2;
  ASSERT_TRUE(g.GenerateMaze(s1, s2)) << "the defaults aim at one destructible block";
  EXPECT_EQ(Count(b.State).Destructible, 1);
  b.State.MazeSettings.PerOfEBlocks = 1.5;  // every cell opened after the first a block
  try {
    g.GenerateMaze(s1, s2);
    FAIL() << "a single floor cell is no maze";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Error Creating Maze - change Maze options");
  }
  EXPECT_EQ(g.Attempt(), 10);
  // The grids hold the last attempt: 6 fixed blocks, the walk's first cell floor, the rest blocks.
  const TCounts c = Count(b.State);
  EXPECT_EQ(c.Fixed, 6);
  EXPECT_EQ(c.Floor, 1);
}

TEST(GenerateMaze, SettingsThatAlwaysFail) {
  const TMazeSettings failing[] = {
      {0.998, 0.15, 30},  // 299 of 300 cells fixed: one floor cell only
      {0.4, 1.5, 30},    // every opened cell a block: the first cell has no retreat
  };
  for (const TMazeSettings& settings : failing) {
    SCOPED_TRACE(settings.PerOfEBlocks);
    TBoard b(20, 15);
    b.State.MazeSettings = settings;
    TPoint s1, s2;
    EXPECT_THROW(GenerateMaze(b.State, s1, s2), std::runtime_error);
  }
  TBoard single(1, 1);
  TPoint s1, s2;
  EXPECT_THROW(GenerateMaze(single.State, s1, s2), std::runtime_error);
}

// A negative destructible share reads as 0: no blocks, and every floor cell may start.
TEST(GenerateMaze, NegativeDestructibleShareMeansNone) {
  TBoard b(20, 15);
  b.State.MazeSettings = {0.4, -0.2, 30};
  TPoint s1, s2;
  ASSERT_TRUE(GenerateMaze(b.State, s1, s2));
  EXPECT_EQ(Count(b.State).Destructible, 0);
}

TEST(GenerateMaze, NegativeBlockShareOpensEveryCell) {
  TBoard b(12, 9);
  b.State.MazeSettings.PerBlocksLeft = -0.5;
  b.State.Random.Seed(3);
  TPoint s1, s2;
  ASSERT_TRUE(GenerateMaze(b.State, s1, s2));
  EXPECT_EQ(Count(b.State).Fixed, 0);
}

TEST(GenerateMaze, WithoutDestructibleBlocksTheCornersStart) {
  TBoard b(30, 20);
  b.State.MazeSettings.PerOfEBlocks = 0;
  b.State.Random.Seed(11);
  TPoint s1, s2;
  ASSERT_TRUE(GenerateMaze(b.State, s1, s2));
  EXPECT_EQ(Count(b.State).Destructible, 0);
  TPoint first = NoPoint;
  TPoint last = NoPoint;
  for (int y = 0; y < 20 && first == NoPoint; ++y)
    for (int x = 0; x < 30 && first == NoPoint; ++x)
      if (b.State.MazeTemplate.GetCell(x, y) == otEmpty) first = {x, y};
  for (int y = 19; y >= 0 && last == NoPoint; --y)
    for (int x = 29; x >= 0 && last == NoPoint; --x)
      if (b.State.MazeTemplate.GetCell(x, y) == otEmpty) last = {x, y};
  EXPECT_EQ(s1, first);
  EXPECT_EQ(s2, last);
}

TEST(GenerateMaze, PowerUpsHideOnlyUnderDestructibleBlocks) {
  for (const int chance : {0, 30, 100}) {
    SCOPED_TRACE(chance);
    TBoard b(34, 25);
    b.State.MazeSettings.PerOfPUps = chance;
    b.State.Random.Seed(21);
    TPoint s1, s2;
    ASSERT_TRUE(GenerateMaze(b.State, s1, s2));
    int hidden = 0;
    for (int x = 0; x < 34; ++x)
      for (int y = 0; y < 25; ++y) {
        const int pu = b.State.PowerUpGrid.GetCell(x, y);
        if (pu == -1) continue;
        ++hidden;
        EXPECT_EQ(b.State.MazeTemplate.GetCell(x, y), otExpBlock) << x << "," << y;
        EXPECT_GE(pu, Ord(otBombPUP));
        EXPECT_LE(pu, Ord(otSKBombsPUP)) << "the indestructible power-up is never hidden";
      }
    if (chance == 0) {
      EXPECT_EQ(hidden, 0);
    } else if (chance == 100) {
      EXPECT_EQ(hidden, 72);
    } else {
      EXPECT_GT(hidden, 0);
      EXPECT_LT(hidden, 72);
    }
  }
}

TEST(GenerateMaze, StartCellsCanBombAndEscape) {
  const int sizes[][2] = {{34, 25}, {12, 8}, {64, 36}, {7, 20}};
  for (const auto& size : sizes)
    for (uint64_t seed = 1; seed <= 10; ++seed) {
      SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1] << " seed " << seed);
      TBoard b(size[0], size[1]);
      b.State.Random.Seed(seed);
      TPoint s1, s2;
      ASSERT_TRUE(GenerateMaze(b.State, s1, s2));
      EXPECT_TRUE(HasBombableBlock(b.State.MazeTemplate, s1));
      EXPECT_TRUE(HasBombableBlock(b.State.MazeTemplate, s2));
    }
}

TEST(GenerateMaze, LateAttemptsStillSucceed) {
  // A small crowded board fails now and then; look for seeds whose first attempts fail.
  int longest = 0;
  bool sawTenth = false;
  for (uint64_t seed = 1; seed <= 20000 && !sawTenth; ++seed) {
    TBoard b(5, 4);
    b.State.MazeSettings = {0.5, 0.4, 30};
    b.State.Random.Seed(seed);
    TMazeGenerator g(b.State);
    TPoint s1, s2;
    try {
      ASSERT_TRUE(g.GenerateMaze(s1, s2));
    } catch (const std::runtime_error&) {
      EXPECT_EQ(g.Attempt(), 10);
      continue;
    }
    if (g.Attempt() > longest) {
      longest = g.Attempt();
      EXPECT_NE(s1, s2);
      EXPECT_TRUE(HasBombableBlock(b.State.MazeTemplate, s1));
      EXPECT_TRUE(HasBombableBlock(b.State.MazeTemplate, s2));
    }
    sawTenth = g.Attempt() == 10;
  }
  EXPECT_GE(longest, 3);
  EXPECT_TRUE(sawTenth) << "no seed succeeded in its tenth attempt; longest " << longest;
}

TEST(GenerateMaze, RejectsGridsOfAnotherSize) {
  TBoard b(10, 10);
  TDetonixMazeGrid maze(9, 10, otBlock);
  TDetonixIntGrid powerUps(10, 10, -1);
  TMazeGenerator g(b.State);
  TPoint s1, s2;
  EXPECT_THROW(g.GenerateMaze(maze, powerUps, s1, s2), std::invalid_argument);
}

TEST(WalkStep, OnlyTheFirstStepOfARunTurnsAtAnEdge) {
  TBoard b(6, 5);
  TMazeGenerator g(b.State);
  // A run in progress does not turn: the walker stays against the edge.
  g.PlaceWalker({0, 2}, dirLeft, 2);
  g.WalkStep();
  EXPECT_EQ(g.WalkerPosition(), (TPoint{0, 2}));
  EXPECT_EQ(g.WalkerDirection(), dirLeft);
  EXPECT_EQ(g.RunLeft(), 1);
  g.PlaceWalker({3, 4}, dirDown, 1);
  g.WalkStep();
  EXPECT_EQ(g.WalkerPosition(), (TPoint{3, 4}));
  EXPECT_EQ(g.RunLeft(), 0);

  // A new run never starts off the board: from every corner it moves one cell inwards.
  const TPoint corners[] = {{0, 0}, {5, 0}, {0, 4}, {5, 4}};
  for (uint64_t seed = 1; seed <= 50; ++seed)
    for (const TPoint corner : corners) {
      b.State.Random.Seed(seed);
      g.PlaceWalker(corner, dirLeft, 0);
      g.WalkStep();
      const TPoint p = g.WalkerPosition();
      EXPECT_EQ(std::abs(p.X - corner.X) + std::abs(p.Y - corner.Y), 1) << corner.X << "," << corner.Y;
      EXPECT_GE(g.RunLeft(), 1);
      EXPECT_LE(g.RunLeft(), 6);
    }
}

TEST(HasSafeRetreat, DistanceAlongTheLinesCounts) {
  auto b = BoardFromPicture({
      "#######",
      "#.....#",
      "#######",
  });
  TMazeGenerator g(b->State);
  EXPECT_TRUE(g.HasSafeRetreat({1, 1}, b->State.MazeTemplate)) << "(5,1) is 4 cells away";
  EXPECT_FALSE(g.HasSafeRetreat({2, 1}, b->State.MazeTemplate)) << "nothing is more than 3 cells away";

  auto corner = BoardFromPicture({
      "####",
      "#..#",
      "##.#",
      "####",
  });
  TMazeGenerator gc(corner->State);
  EXPECT_TRUE(gc.HasSafeRetreat({1, 1}, corner->State.MazeTemplate)) << "(2,2) is off both lines";
  EXPECT_FALSE(gc.HasSafeRetreat({2, 1}, corner->State.MazeTemplate));
}

TEST(HasSafeRetreat, BlocksAreNoCoverAndWallsStopTheSearch) {
  // (1,1)'s neighbour (3,1) is beyond a block but only 2 away in its row; (1,3) is out of reach.
  auto b = BoardFromPicture({
      "#####",
      "#.#.#",
      "#####",
      "#.###",
  });
  TMazeGenerator g(b->State);
  EXPECT_FALSE(g.HasSafeRetreat({1, 1}, b->State.MazeTemplate));
  // Destructible blocks are walls too.
  auto e = BoardFromPicture({
      "#####",
      "#..+#",
      "##+.#",
  });
  TMazeGenerator ge(e->State);
  EXPECT_FALSE(ge.HasSafeRetreat({1, 1}, e->State.MazeTemplate));
  EXPECT_FALSE(ge.HasSafeRetreat({-1, 1}, e->State.MazeTemplate));
  EXPECT_FALSE(ge.HasSafeRetreat({5, 0}, e->State.MazeTemplate));
}

TEST(IsViableStart, NeedsABlockWithARetreat) {
  auto b = BoardFromPicture({
      "########",
      "#.....+#",
      "########",
  });
  TMazeGenerator g(b->State);
  const TDetonixMazeGrid& maze = b->State.MazeTemplate;
  EXPECT_TRUE(g.IsViableStart({3, 1}, maze, false)) << "bomb at (5,1), flee to (1,1)";
  EXPECT_FALSE(g.IsViableStart({6, 1}, maze, false)) << "a block is no start";
  EXPECT_FALSE(g.IsViableStart({0, 0}, maze, true));
  EXPECT_TRUE(g.IsViableStart({3, 1}, maze, true));

  auto shortRow = BoardFromPicture({
      "#######",
      "#....+#",
      "#######",
  });
  TMazeGenerator gs(shortRow->State);
  EXPECT_FALSE(gs.IsViableStart({1, 1}, shortRow->State.MazeTemplate, false)) << "the corridor is too short to flee";

  auto noBlock = BoardFromPicture({
      "#######",
      "#.....#",
      "#.#####",
  });
  TMazeGenerator gn(noBlock->State);
  EXPECT_FALSE(gn.IsViableStart({1, 1}, noBlock->State.MazeTemplate, false));
}

TEST(IsViableStart, LooksPastTheFirstBlock) {
  // The block next to the start offers no retreat; the one further on does.
  auto b = BoardFromPicture({
      "##########",
      "#+.......#",
      "#####.####",
      "#####+####",
  });
  TMazeGenerator g(b->State);
  EXPECT_TRUE(g.IsViableStart({2, 1}, b->State.MazeTemplate, false));
}

// FindStartCells settles whole floor regions at once; it must agree with testing every cell.
TEST(FindStartCells, AgreesWithTestingEveryCell) {
  TRandom noise(4242);
  int found = 0;
  int missed = 0;
  for (int round = 0; round < 400; ++round) {
    const int cols = 3 + noise.Random(18);
    const int rows = 2 + noise.Random(12);
    TBoard b(cols, rows);
    TDetonixMazeGrid& maze = b.State.MazeTemplate;
    for (int x = 0; x < cols; ++x)
      for (int y = 0; y < rows; ++y) {
        const int r = noise.Random(100);
        maze.SetCell(x, y, r < 55 ? otEmpty : r < 70 ? otExpBlock : otBlock);
      }
    TMazeGenerator g(b.State);
    TPoint expect1 = NoPoint;
    TPoint expect2 = NoPoint;
    for (int y = 0; y < rows && expect1 == NoPoint; ++y)
      for (int x = 0; x < cols && expect1 == NoPoint; ++x)
        if (g.IsViableStart({x, y}, maze, false)) expect1 = {x, y};
    for (int y = rows - 1; y >= 0 && expect2 == NoPoint && expect1 != NoPoint; --y)
      for (int x = cols - 1; x >= 0 && expect2 == NoPoint; --x)
        // Each with the other standing on its start: the players cannot pass each other.
        if (TPoint{x, y} != expect1 && g.IsViableStart({x, y}, maze, false, expect1) &&
            g.IsViableStart(expect1, maze, false, {x, y}))
          expect2 = {x, y};
    TPoint s1, s2;
    const bool ok = g.FindStartCells(s1, s2, maze, false);
    SCOPED_TRACE(round);
    ASSERT_EQ(ok, expect2 != NoPoint);
    if (ok) {
      EXPECT_EQ(s1, expect1);
      EXPECT_EQ(s2, expect2);
    }
    (ok ? found : missed)++;
  }
  // Both outcomes must have been met for the comparison to mean anything.
  EXPECT_GT(found, 20);
  EXPECT_GT(missed, 20);
}

TEST(FindStartCells, ScansFromOppositeCorners) {
  auto b = BoardFromPicture({
      "#..#.",
      "#####",
      ".#..#",
  });
  TMazeGenerator g(b->State);
  TPoint s1, s2;
  ASSERT_TRUE(g.FindStartCells(s1, s2, b->State.MazeTemplate, true));
  EXPECT_EQ(s1, (TPoint{1, 0}));
  EXPECT_EQ(s2, (TPoint{3, 2}));
}

TEST(FindStartCells, SecondCellInTheTopRowIsAccepted) {
  auto b = BoardFromPicture({
      "#..#",
      "####",
      "####",
  });
  TMazeGenerator g(b->State);
  TPoint s1, s2;
  ASSERT_TRUE(g.FindStartCells(s1, s2, b->State.MazeTemplate, true));
  EXPECT_EQ(s1, (TPoint{1, 0}));
  EXPECT_EQ(s2, (TPoint{2, 0}));
}

TEST(FindStartCells, OneViableCellIsNotEnough) {
  auto b = BoardFromPicture({
      "####",
      "#.##",
  });
  TMazeGenerator g(b->State);
  TPoint s1, s2;
  EXPECT_FALSE(g.FindStartCells(s1, s2, b->State.MazeTemplate, true));
  auto none = BoardFromPicture({"####"});
  TMazeGenerator gn(none->State);
  EXPECT_FALSE(gn.FindStartCells(s1, s2, none->State.MazeTemplate, true));
}

}  // namespace
}  // namespace detonix

namespace detonix {
namespace {

// On 3 by 3 every run ends on an edge, so a walker that has reached a corner never enters the
// centre again, and a walk that must open every cell would go on for ever. With every cell but
// the first a block, no attempt can succeed, so all ten walk to their end or give up: the call
// must return.
TEST(GenerateMaze, AWalkThatCannotFinishFailsTheAttempt) {
  for (uint64_t seed = 1; seed <= 20; ++seed) {
    TBoard b(3, 3);
    b.State.MazeSettings = {0.0, 1.5, 30};
    b.State.Random.Seed(seed);
    TMazeGenerator g(b.State);
    TPoint s1, s2;
    EXPECT_THROW(g.GenerateMaze(s1, s2), std::runtime_error) << "seed " << seed;
    EXPECT_EQ(g.Attempt(), MaxMazeAttempts);
  }
}

// Each density the options take, from 0 to the top of its range and where the counts turn over,
// makes a maze with the other density at its default or its top, with and without power-ups, on
// boards from the preview to an 8K screen; what cannot is refused where it is given, and a board
// as small as 3 by 3 by the hosts. One seed each: ten attempts make a rare unlucky walk harmless.
TEST(GenerateMaze, EveryDensityTheOptionsTakeMakesAMaze) {
  std::vector<double> values{0.015, 0.999, 0.9999};  // and 0.02 and 1 among the hundredths
  for (int i = 0; i <= 100; ++i) values.push_back(i / 100.0);
  for (int i = 8; i <= 30; i += i == 14 ? 11 : 1) values.push_back(i / 10000.0);  // 0.0008..14, 0.0025..30
  using TField = double TSettings::*;
  const std::pair<TField, TField> swept[] = {{&TSettings::PerBlocksLeft, &TSettings::PerOfEBlocks},
                                             {&TSettings::PerOfEBlocks, &TSettings::PerBlocksLeft}};
  int tried = 0, refused = 0, tooSmall = 0, made = 0;
  for (const auto& [field, other] : swept)
    for (size_t i = 0; i < values.size(); ++i)
      for (const double partner : {SettingRowOf(other).Default, SettingRowOf(other).Range.High})
        for (const auto& [cols, rows] : {std::pair{3, 3}, {15, 11}, {34, 25}, {64, 36}, {256, 144}}) {
          const double v = values[i];
          const int powerUps = i % 2 == 0 ? 0 : 100;  // every other value with power-ups
          TSettingsOverrides given;
          const bool accepted = SetFromText(SettingRowOf(field), NumberText(v), given);
          const bool small = !BoardSizeProblem(cols * 30, rows * 30, 30, MinBoardSide).empty();
          ++tried;
          refused += !accepted;
          tooSmall += accepted && small;
          if (!accepted || small) continue;
          const bool fixedSwept = field == &TSettings::PerBlocksLeft;
          TBoard b(cols, rows);
          b.State.MazeSettings = {fixedSwept ? v : partner, fixedSwept ? partner : v, powerUps};
          b.State.Random.Seed(1);
          TPoint s1, s2;
          bool ok = false;
          EXPECT_NO_THROW(ok = GenerateMaze(b.State, s1, s2)) << SettingRowOf(field).Name << "=" << v << ", "
              << SettingRowOf(other).Name << "=" << partner << ", power-ups " << powerUps << ": " << cols << " by " << rows;
          made += ok;
        }
  std::printf("density sweep: %d tried, %d refused by the options, %d on a board too small, %d mazes\n", tried,
              refused, tooSmall, made);
}

}  // namespace
}  // namespace detonix
