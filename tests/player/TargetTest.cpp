#include <gtest/gtest.h>

#include <algorithm>

#include "support/SimHarness.h"

namespace detonix::test {
namespace {

bool Contains(const std::vector<TPoint>& cells, TPoint p) { return std::find(cells.begin(), cells.end(), p) != cells.end(); }

TEST(PlanRoute, GoesForAReachableOpponentEvenPastPowerUps) {
  SimHarness g({"########", "#1.E.I2#", "########"});
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  EXPECT_EQ(p.RouteTarget, (TPoint{6, 1}));
  EXPECT_EQ(g.RouteEnd(p), (TPoint{6, 1})) << "expected the route to lead into the opponent's cell (6,1)";
}

TEST(PlanRoute, GoesAroundCellsWhereABombGoesOffTooSoon) {
  // The bomb in the top wall covers (4,1) only.
  for (int fuse : {1, 10}) {
    SimHarness g({"####a####", "#1.....2#", "#.#####.#", "#.......#", "#########"}, {{'a', fuse, 3}});
    auto& p = g.P1();
    p.PlanRoute(g.P2().Position);
    ASSERT_EQ(p.RouteTarget, (TPoint{7, 1})) << "fuse " << fuse;
    const auto route = g.RouteCells(p);
    if (fuse == 1) {
      EXPECT_FALSE(Contains(route, {4, 1})) << "(4,1) burns before the player gets there";
      EXPECT_EQ(route.size(), 10u);
    } else {
      EXPECT_TRUE(Contains(route, {4, 1})) << "with fuse 10 the player passes (4,1) in time";
      EXPECT_EQ(route.size(), 6u);
    }
  }
}

// A serpentine of 154 moves from (1,1) to (1,7): searches must count past 127.
std::vector<std::string> Serpentine(char underTheEnd) {
  const std::string wall(40, '#');
  const std::string corridor = "#" + std::string(38, '.') + "#";
  const std::string openRight = std::string(38, '#') + ".#";
  const std::string openLeft = "#." + std::string(38, '#');
  std::string bottom = wall;
  bottom[3] = underTheEnd;
  std::string first = corridor, last = corridor;
  first[1] = '1';
  last[1] = '2';
  return {wall, first, openRight, corridor, openLeft, corridor, openRight, last, bottom, "#######################################."};
}

TEST(PlanRoute, LongRoutesKeepTheirDistances) {
  SimHarness g(Serpentine('#'));
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  ASSERT_EQ(p.RouteTarget, (TPoint{1, 7}));
  EXPECT_EQ(g.RouteCells(p).size(), 154u);
  EXPECT_EQ(p.SearchDistance({1, 7}), 154);
}

TEST(PlanRoute, ABombNearTheEndOfALongRouteStillCounts) {
  // 152 moves from the start, (3,7) lies on the line of a bomb that goes off long before the player
  // could get there: the cell is not entered, so the opponent behind it is not reached.
  SimHarness g(Serpentine('o'));
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  EXPECT_EQ(p.RouteTarget, NoPoint) << "the way to (1,7) passes (3,7), covered by the bomb at (3,8)";
  EXPECT_TRUE(g.RouteCells(p).empty());
}

struct TPowerUpCase {
  const char* Corridor;
  char Expected;
  int MaxBombs = 5;
  int ExplosionSize = 3;
};

TEST(ChoosePowerUp, PreferenceOrder) {
  const TPowerUpCase cases[] = {
      {".K.E.B.S.I", 'I'},
      {".K.E.B.S..", 'S'},
      {".K.E.B....", 'B'},
      {".K.E......", 'E'},
      {".K........", 'K'},
      {".I.S.B.E.D", 'D'},
      {".B.K......", 'K', 10},
      {".B.K......", 'B', 9},
      {".E.K......", 'K', 5, 10},
      {".E........", 'E', 5, 10},
      {".B.E......", 'B', 10, 10},
  };
  for (const auto& c : cases) {
    const std::string corridor = c.Corridor;
    const std::string wall(corridor.size() + 3, '#');
    SimHarness g({wall, "#1" + corridor + "#", wall, "2" + std::string(corridor.size() + 2, '.')});
    auto& p = g.P1();
    p.MaxBombs = static_cast<int8_t>(c.MaxBombs);
    p.ExplosionSize = static_cast<int8_t>(c.ExplosionSize);
    p.PlanRoute(g.P2().Position);
    const TPoint expected = g.Find(c.Expected);
    EXPECT_EQ(p.RouteTarget, NoPoint) << c.Corridor;
    EXPECT_EQ(g.RouteEnd(p), expected) << "expected the power-up '" << c.Expected << "' at " << Describe(expected)
                                       << " in " << c.Corridor << " (MaxBombs " << c.MaxBombs << ", ExplosionSize "
                                       << c.ExplosionSize << ")";
  }
}

TEST(ChoosePowerUp, WalledOffOpponentFarInvisibilityOverNearSize) {
  SimHarness g({"############", "#1.E.....I.#", "############", "2..........."});
  g.P1().PlanRoute(g.P2().Position);
  EXPECT_EQ(g.RouteEnd(g.P1()), (TPoint{9, 1})) << "expected the invisibility power-up at (9,1), 8 cells away";
  EXPECT_EQ(g.P1().PowerUpList().size(), 2u);
}

TEST(BombSpots, AtMostTenCountingRepeats) {
  SimHarness g({"#++++++++#", "#1.......#", "#++++++++#", "#########2"});
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  const auto spots = p.BombSpotList();
  ASSERT_EQ(spots.size(), 10u);
  const std::vector<TPoint> expected{{1, 1}, {1, 1}, {2, 1}, {2, 1}, {3, 1}, {3, 1}, {4, 1}, {4, 1}, {5, 1}, {5, 1}};
  EXPECT_EQ(std::vector<TPoint>(spots.begin(), spots.end()), expected) << "each cell once per block beside it";
  // (1,1) to (3,1) lie within 3 cells of the corridor's closed end; (4,1) is the first that does not.
  EXPECT_EQ(g.RouteEnd(p), (TPoint{4, 1})) << "expected the bomb spot (4,1)\n" << g.Draw();
  EXPECT_EQ(p.RouteGrid.GetCell({4, 1}), BombOnArrival);
  EXPECT_EQ(p.RouteTarget, NoPoint);
}

TEST(BombSpots, ACellBesideThreeBlocksIsEnteredThreeTimes) {
  SimHarness g({"##+####", "#+1+###", "##....#", "######2"});
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  const auto spots = p.BombSpotList();
  ASSERT_EQ(spots.size(), 3u);
  for (TPoint s : spots) EXPECT_EQ(s, (TPoint{2, 1}));
}

TEST(BombSpots, NoneForABlockThatABombAlreadyCovers) {
  SimHarness covered({"#######", "#1..+.#", "####o##", "######2"});
  covered.P1().PlanRoute(covered.P2().Position);
  EXPECT_TRUE(covered.P1().BombSpotList().empty()) << "the bomb at (4,2) will blow up the block at (4,1) anyway";
  EXPECT_TRUE(covered.RouteCells(covered.P1()).empty());

  SimHarness free({"#######", "#1..+.#", "#######", "######2"});
  free.P1().PlanRoute(free.P2().Position);
  ASSERT_EQ(free.P1().BombSpotList().size(), 1u);
  EXPECT_EQ(free.P1().BombSpotList()[0], (TPoint{3, 1}));
}

TEST(BombSpots, NoMoreSpotsOnceAPowerUpIsReached) {
  SimHarness g({"#+#######", "#1...B..#", "######+##", "########2"});
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  const auto spots = p.BombSpotList();
  ASSERT_EQ(spots.size(), 1u) << "the block at (6,2) is found after the power-up";
  EXPECT_EQ(spots[0], (TPoint{1, 1}));
  EXPECT_EQ(g.RouteEnd(p), (TPoint{5, 1})) << "power-ups come before bomb spots";
}

TEST(ChooseBombSpot, ADeadEndSpotOnlyWhenNothingElsePasses) {
  SimHarness both({"##########", "#+########", "#.####+###", "#1.......#", "#.####.###", "#.####.###", "##########",
                  "#2.......#", "##########"});
  auto& p = both.P1();
  p.PlanRoute(both.P2().Position);
  ASSERT_EQ(p.BombSpotList().size(), 2u);
  EXPECT_EQ(p.BombSpotList()[0], (TPoint{1, 2})) << "the corridor spot is found first";
  EXPECT_EQ(both.RouteEnd(p), (TPoint{6, 3})) << "expected the open spot (6,3), not the dead end (1,2)";
  EXPECT_EQ(p.RouteGrid.GetCell({6, 3}), BombOnArrival);

  SimHarness only({"##########", "#+########", "#.####.###", "#1.......#", "#.####.###", "#.####.###", "##########",
                  "#2.......#", "##########"});
  only.P1().PlanRoute(only.P2().Position);
  EXPECT_EQ(only.RouteEnd(only.P1()), (TPoint{1, 2})) << "the dead-end spot (1,2) is the fallback";
  EXPECT_EQ(only.P1().RouteGrid.GetCell({1, 2}), BombOnArrival);
}

TEST(ChooseBombSpot, NoSpotWithoutAWayOut) {
  SimHarness g({"#####", "#1.+#", "#####", "####2"});
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  ASSERT_EQ(p.BombSpotList().size(), 1u);
  TPoint spot = NoPoint;
  EXPECT_FALSE(p.ChooseBombSpot(spot)) << "a bomb on (2,1) would catch the player in the corridor";
  EXPECT_TRUE(g.RouteCells(p).empty());
  EXPECT_EQ(p.RouteGrid.GetCell(p.Position), NoStep);
}

// The player stands next to a block with a way out: its own cell is the spot.
std::vector<std::string> NextToABlock() {
  return {"########", "#+1....#", "##.##.##", "##.##.##", "########", "#2.....#", "########"};
}

TEST(ChooseBombSpot, OwnCellIsASpotWithoutSteps) {
  SimHarness g(NextToABlock());
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  EXPECT_TRUE(g.RouteCells(p).empty());
  EXPECT_EQ(p.RouteGrid.GetCell(p.Position), BombOnArrival);

  p.Think();
  ASSERT_FALSE(g.Actions.empty());
  EXPECT_EQ(g.Actions[0].Action, LayBombAction);
  EXPECT_EQ(g.Actions[0].From, (TPoint{2, 1}));
  EXPECT_EQ(g.State().MazeGrid.GetCell({2, 1}), otBomb);
  EXPECT_FALSE(g.RouteCells(p).empty()) << "the escape planned inside the bomb laying leads away";
}

TEST(ChooseBombSpot, ARouteEndingOnTheMarkerJustEndsWithoutBombs) {
  SimHarness g(NextToABlock());
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  p.BombsLeft = 0;
  p.Think();
  EXPECT_TRUE(g.Actions.empty());
  EXPECT_EQ(p.RouteGrid.GetCell(p.Position), NoStep) << "the marker is consumed";
}

TEST(CanBombSafely, NeedsABombAndAWayOut) {
  SimHarness g({"#######", "#1....#", "#.#####", "#.#####", "#.#####", "#.....2"});
  auto& p = g.P1();
  EXPECT_TRUE(p.CanBombSafely(g.P2().Position)) << "(5,1) is out of reach of a bomb on (1,1)";
  p.BombsLeft = 0;
  EXPECT_FALSE(p.CanBombSafely(g.P2().Position)) << "no bombs left";
  p.BombsLeft = 1;
  EXPECT_TRUE(p.CanBombSafely(g.P2().Position));

  SimHarness row({"#######", "#1....#", "######2"});
  EXPECT_TRUE(row.P1().CanBombSafely(row.P2().Position)) << "(5,1) lies 4 cells from the bomb";
  EXPECT_FALSE(row.P1().CanBombSafely({4, 1})) << "the goal (4,1) bars the way to (5,1)";
}

}  // namespace
}  // namespace detonix::test
