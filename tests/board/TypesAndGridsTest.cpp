#include <gtest/gtest.h>

#include <vector>

#include "board/DetonixGrids.h"
#include "board/GlobalTypes.h"

using namespace detonix;

TEST(BoardGeometry, SurfaceRemaindersBelongToNoCell) {
  const auto g = TBoardGeometry::ForSurface(1000, 700, 30);
  EXPECT_EQ(g.ColCount, 33);
  EXPECT_EQ(g.RowCount, 23);
  EXPECT_TRUE(g.OnBoard({0, 0}));
  EXPECT_TRUE(g.OnBoard({32, 22}));
  EXPECT_FALSE(g.OnBoard({-1, 0}));
  EXPECT_FALSE(g.OnBoard({0, -1}));
  EXPECT_FALSE(g.OnBoard({33, 0}));  // pixels 990..999
  EXPECT_FALSE(g.OnBoard({0, 23}));  // pixels 690..699
  EXPECT_EQ(TBoardGeometry::ForSurface(29, 700, 30).ColCount, 0);
}

TEST(Points, NeighboursDoNotClampAndKeysRoundTrip) {
  EXPECT_EQ(Neighbour({0, 0}, dirLeft), (TPoint{-1, 0}));
  EXPECT_EQ(Neighbour({0, 0}, dirUp), (TPoint{0, -1}));
  TPoint p{5, 5};
  MovePoint(p, dirDown);
  MovePoint(p, dirRight);
  EXPECT_EQ(p, (TPoint{6, 6}));
  for (TDirection d : AllDirections) EXPECT_EQ(Neighbour(Neighbour(p, d), Opposite(d)), p);

  EXPECT_FALSE(IsValidPoint(NoPoint));
  EXPECT_FALSE(IsValidPoint({-1, 5}));
  EXPECT_TRUE(IsValidPoint({0, -1}));

  EXPECT_EQ(PointToKey({3, 7}), 3 * 65536 + 7);
  EXPECT_EQ(KeyToPoint(3 * 65536 + 7), (TPoint{3, 7}));
  // The top bit of X must come back through the logical shift.
  EXPECT_EQ(KeyToPoint(PointToKey({65535, 65535})), (TPoint{65535, 65535}));
}

TEST(Points, PowerUpTypesAreTheOrdinalsFromSixUp) {
  EXPECT_FALSE(IsPowerUpType(-1));
  EXPECT_FALSE(IsPowerUpType(0));
  EXPECT_FALSE(IsPowerUpType(otBExplosion));
  EXPECT_TRUE(IsPowerUpType(otBombPUP));
  EXPECT_TRUE(IsPowerUpType(otIndestructPUP));
}

TEST(Grids, RefuseEmptyOrNegativeDimensions) {
  for (auto [c, r] : {std::pair{0, 5}, {5, 0}, {-3, 5}, {5, -1}}) {
    try {
      TDetonixIntGrid g(c, r, 0);
      ADD_FAILURE() << "int grid " << c << "x" << r << " was created";
    } catch (const TBombGridError& e) {
      EXPECT_STREQ(e.what(), "Invalid grid dimensions");
    }
    EXPECT_THROW(TDetonixMazeGrid(c, r, otBlock), TBombGridError);
    try {
      TBombTimerGrid g(c, r);
      ADD_FAILURE() << "bomb timer grid " << c << "x" << r << " was created";
    } catch (const TBombTimerGridError& e) {
      EXPECT_STREQ(e.what(), "Invalid grid dimensions");
    }
  }
}

TEST(Grids, OutsideReadsGiveTheDefaultAndWritesAreIgnored) {
  TDetonixIntGrid g(4, 3, -1);
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 3; ++y) EXPECT_EQ(g.GetCell(x, y), -1);
  EXPECT_EQ(g.GetCell(-1, 0), -1);
  EXPECT_EQ(g.GetCell(4, 0), -1);
  g.SetCell(4, 0, 9);
  g.SetCell(0, 3, 9);
  g.IncCell(-1, 0, 1);
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 3; ++y) EXPECT_EQ(g.GetCell(x, y), -1) << "cell " << x << "," << y;
  // Column-major: distinct cells stay distinct.
  g.SetCell(1, 2, 5);
  g.SetCell(2, 1, 6);
  EXPECT_EQ(g.GetCell(1, 2), 5);
  EXPECT_EQ(g.GetCell(2, 1), 6);
}

TEST(Grids, IntegerCellsWrapInEightBits) {
  TDetonixIntGrid g(2, 2, 0);
  g.SetCell(0, 0, 127);
  g.IncCell(0, 0, 1);
  EXPECT_EQ(g.GetCell(0, 0), -128);
  g.DecCell(0, 0, 1);
  EXPECT_EQ(g.GetCell(0, 0), 127);
}

TEST(Grids, MazeFillClearAndCopy) {
  TDetonixMazeGrid g(5, 4, otBlock);
  g.Fill(otEmpty);
  EXPECT_EQ(g.GetCell(4, 3), otEmpty);
  EXPECT_EQ(g.GetCell(5, 0), otBlock);  // the board is walled in
  g.Clear();
  EXPECT_EQ(g.GetCell(2, 2), otBlock);

  TDetonixMazeGrid same(5, 4, otBlock);
  same.SetCell(1, 3, otExpBlock);
  same.SetCell(4, 0, otBombPUP);
  g.CopyFrom(same);
  for (int x = 0; x < 5; ++x)
    for (int y = 0; y < 4; ++y) EXPECT_EQ(g.GetCell(x, y), same.GetCell(x, y));

  TDetonixMazeGrid small(2, 2, otEmpty);
  small.Fill(otExpBlock);
  g.CopyFrom(small);  // outside its area the source gives its default
  EXPECT_EQ(g.GetCell(1, 1), otExpBlock);
  EXPECT_EQ(g.GetCell(3, 3), otEmpty);

  TDetonixMazeGrid big(9, 9, otBlock);
  big.Fill(otBomb);
  g.CopyFrom(big);
  EXPECT_EQ(g.GetCell(4, 3), otBomb);
}

// A reader that worked something out from part of the maze learns which cells were written
// since, or that it cannot know: a whole-grid write, or more writes than are kept.
TEST(Grids, MazeTellsTheCellsWrittenSince) {
  TDetonixMazeGrid g(40, 30, otEmpty);
  const uint64_t start = g.Changes();
  g.SetCell(3, 2, otBomb);
  g.SetCell(-1, 2, otBomb);  // outside: no write
  g.SetCell(0, 1, otBlock);
  std::vector<size_t> written;
  EXPECT_TRUE(g.ForEachWriteSince(start, [&](size_t i) { written.push_back(i); }));
  EXPECT_EQ(written, (std::vector<size_t>{3 * 30 + 2, 1}));
  const uint64_t before = g.Changes();
  for (size_t i = 0; i <= TDetonixMazeGrid::KeptWrites; ++i) g.SetCell(1, 1, otEmpty);
  EXPECT_FALSE(g.ForEachWriteSince(before, [](size_t) {}));
  const uint64_t last = g.Changes();
  EXPECT_TRUE(g.ForEachWriteSince(last, [](size_t) { ADD_FAILURE() << "nothing written since"; }));
  g.WritableCells();
  EXPECT_FALSE(g.ForEachWriteSince(last, [](size_t) {}));
}
