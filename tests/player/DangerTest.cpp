#include <gtest/gtest.h>

#include "support/SimHarness.h"

namespace detonix::test {
namespace {

// A 8 by 7 board, open but for the walls of the first and last rows and row 5 as given.
std::vector<std::string> WithRow5(const std::string& row5) {
  return {"########", "1......#", "........", "........", "........", row5, ".......2"};
}

TEST(InLineOfFire, ReachesAlongOpenRowWithinRange) {
  SimHarness g(WithRow5("........"));
  auto& p = g.P1();
  EXPECT_TRUE(p.InLineOfFire({2, 5}, {5, 5}, 3)) << "(5,5) lies 3 cells right of (2,5)";
  EXPECT_TRUE(p.InLineOfFire({5, 5}, {2, 5}, 3)) << "looking left as well as right";
  EXPECT_FALSE(p.InLineOfFire({2, 5}, {5, 5}, 2)) << "(5,5) is out of range 2 from (2,5)";
  EXPECT_TRUE(p.InLineOfFire({4, 4}, {4, 4}, 0)) << "a cell is always in its own line of fire";
  EXPECT_FALSE(p.InLineOfFire({2, 5}, {3, 4}, 5)) << "diagonal cells share no line";
  EXPECT_TRUE(p.InLineOfFire({3, 2}, {3, 5}, 3)) << "down the column";
  EXPECT_TRUE(p.InLineOfFire({3, 5}, {3, 2}, 3)) << "up the column";
}

TEST(InLineOfFire, BlocksStopItButBombsAndFireDoNot) {
  for (const char* row : {"...#....", "....#...", "...+....", "....+..."}) {
    SimHarness g(WithRow5(row));
    EXPECT_FALSE(g.P1().InLineOfFire({2, 5}, {5, 5}, 3)) << "a block between (2,5) and (5,5) in " << row;
  }
  for (const char* row : {"...o....", "....x...", "...X...."}) {
    SimHarness g(WithRow5(row));
    EXPECT_TRUE(g.P1().InLineOfFire({2, 5}, {5, 5}, 3)) << "no block between (2,5) and (5,5) in " << row;
  }
  SimHarness g(WithRow5("..#..#.."));
  EXPECT_TRUE(g.P1().InLineOfFire({2, 5}, {5, 5}, 3)) << "the type of From and To is not looked at";
}

// The worked examples: P on an open row, both players' sizes 3.
TEST(BombThreat, BombOfSizeOneTwoCellsAway) {
  SimHarness g({"1..a...2"}, {{'a', 3, 1}});
  const TPoint p{1, 0};
  auto& pl = g.P1();
  EXPECT_EQ(pl.BombThreat(p, -1), 1) << "a bomb lies on the line of (1,0) within range 3";
  EXPECT_EQ(pl.BombThreat(p, -2), 3) << "earliest fuse of the bomb at (3,0)";
  EXPECT_EQ(pl.BombThreat(p, 4), 1) << "fuse 3 is below the limit 4";
  EXPECT_EQ(pl.BombThreat(p, 3), -1) << "fuse 3 is not below the limit 3";
}

TEST(BombThreat, ChainThroughBombOutOfRange) {
  // A 2 right of P (fuse 9), B 3 right of A (fuse 2): B is 5 cells from P, out of range.
  SimHarness g({"1..a..b..2"}, {{'a', 9, 3}, {'b', 2, 3}});
  const TPoint p{1, 0};
  auto& pl = g.P1();
  EXPECT_EQ(pl.BombThreat(p, 4), 1) << "B at (6,0) goes off within 4 ticks and sets off A";
  EXPECT_EQ(pl.BombThreat(p, 2), -1) << "neither bomb goes off within 2 ticks";
  EXPECT_EQ(pl.BombThreat(p, -2), 2) << "the chain's earliest fuse is B's";
  EXPECT_EQ(pl.BombThreat(p, -1), 1);
}

TEST(BombThreat, ChainTurnsCornersAndStopsAtBlocks) {
  // A above-right of P in P's row; B two cells below A, out of P's lines altogether.
  const std::vector<TPictureBomb> bombs{{'a', 9, 2}, {'b', 4, 2}};
  SimHarness open({"#######", "#..a..#", "#.....#", "#..b..#", "#1...2#"}, bombs);
  const TPoint p{1, 1};
  EXPECT_EQ(open.P1().BombThreat(p, -2), 4) << "B at (3,3) reaches A at (3,1), which reaches (1,1)";
  EXPECT_EQ(open.P1().BombThreat(p, 5), 1);
  EXPECT_EQ(open.P1().BombThreat(p, 4), -1);

  SimHarness walled({"#######", "#..a..#", "#..#..#", "#..b..#", "#1...2#"}, bombs);
  EXPECT_EQ(walled.P1().BombThreat(p, -2), 9) << "the block at (3,2) cuts B off from A";
  EXPECT_EQ(walled.P1().BombThreat(p, 5), -1);
}

TEST(BombThreat, NoBombInReachGivesMinusOneInEveryMode) {
  for (const char* row : {"1....a.2", "1.+a...2", "1.#a...2"}) {
    SimHarness g({row}, {{'a', 1, 3}});
    for (int limit : {-1, -2, 0, 5, 100})
      EXPECT_EQ(g.P1().BombThreat({1, 0}, limit), -1) << "no bomb reaches (1,0) in " << row << ", mode " << limit;
  }
}

TEST(BombThreat, ReachUsesTheLargerOfBothPlayersSizes) {
  SimHarness g({"1....a.2"}, {{'a', 5, 5}});
  EXPECT_EQ(g.P1().BombThreat({1, 0}, -1), -1) << "bomb 4 cells away, both sizes 3";
  g.P2().ExplosionSize = 4;
  EXPECT_EQ(g.P1().BombThreat({1, 0}, -1), 1) << "the opponent's size 4 reaches the bomb";
  EXPECT_EQ(g.P1().BombThreat({1, 0}, -2), 5);
}

TEST(BombThreat, BombWithoutFuseTimerCountsOnlyForAnyBomb) {
  SimHarness g({"1.....2"});
  g.State().MazeGrid.SetCell({3, 0}, otBomb);
  EXPECT_EQ(g.P1().BombThreat({1, 0}, -1), 1);
  EXPECT_EQ(g.P1().BombThreat({1, 0}, -2), -1);
  EXPECT_EQ(g.P1().BombThreat({1, 0}, 10), -1);
}

TEST(IsSafeCell, OwnCellJustAfterLayingABomb) {
  SimHarness g({"#######", "#1....#", "#....2#", "#######"});
  EXPECT_TRUE(g.P1().IsCurrentCellSafe());
  g.LayBomb(g.P1());
  ASSERT_EQ(g.State().MazeGrid.GetCell(g.P1().Position), otBomb);
  EXPECT_FALSE(g.P1().IsCurrentCellSafe()) << "(1,1) now holds a bomb and is not passable";
  EXPECT_FALSE(g.P1().IsSafeCell({1, 2}, -1)) << "(1,2) is next to the new bomb";
  EXPECT_TRUE(g.P1().IsSafeCell({1, 2}, 5)) << "but the bomb does not go off within 5 ticks";
  EXPECT_FALSE(g.P1().IsSafeCell({0, 0}, -1)) << "a block is never safe";
}

TEST(CanEscape, OutsideEveryAssumedBlastNeedsNoWayOut) {
  SimHarness g({"#####", "#1#2#", "#####"});
  EXPECT_TRUE(g.P1().CanEscape({1, 1}, {{3, 1}}, {3})) << "(1,1) is walled in but no assumed bomb reaches it";
  EXPECT_FALSE(g.P1().CanEscape({1, 1}, {{1, 1}}, {3})) << "walled in on its own bomb";
}

TEST(CanEscape, NeedsARefugeOutOfTheAssumedBlast) {
  SimHarness straight({"#######", "#1....#", "######2"});
  EXPECT_TRUE(straight.P1().CanEscape({1, 1}, {{1, 1}}, {3})) << "(5,1) lies 4 cells from the bomb";
  EXPECT_FALSE(straight.P1().CanEscape({1, 1}, {{1, 1}}, {4})) << "size 4 covers the corridor up to (5,1)";

  SimHarness corner({"#####", "#1..#", "###.#", "#2###"});
  EXPECT_TRUE(corner.P1().CanEscape({1, 1}, {{1, 1}}, {9})) << "(3,2) is round the corner from the bomb";
}

TEST(CanEscape, OpponentCellAndAssumedBombsBarTheWay) {
  SimHarness g({"##########", "#1.2.....#", "##########"});
  EXPECT_FALSE(g.P1().CanEscape({1, 1}, {{1, 1}}, {3})) << "the opponent at (3,1) blocks the only way";
  g.P2().Position = {8, 1};
  EXPECT_TRUE(g.P1().CanEscape({1, 1}, {{1, 1}}, {3})) << "with the opponent gone, (5,1) is out of reach of the bomb";
  EXPECT_FALSE(g.P1().CanEscape({1, 1}, {{1, 1}, {2, 1}}, {3, 3})) << "an assumed bomb at (2,1) closes the corridor";
}

TEST(CanEscape, RealBombsThatGoOffTooSoonBarTheWay) {
  // The only refuges lie beyond (3,1), which a real bomb with fuse 1 covers.
  SimHarness g({"#########", "#1.....2#", "###a#####"}, {{'a', 1, 1}});
  g.P2().Position = {7, 1};
  g.P2().Visible = false;
  g.P1().OpponentTarget = NoPoint;
  EXPECT_FALSE(g.P1().CanEscape({1, 1}, {{1, 1}}, {3}));
  g.State().BombTimerGrid.GetBomb({3, 2})->FuseCount = 10;
  EXPECT_TRUE(g.P1().CanEscape({1, 1}, {{1, 1}}, {3})) << "with fuse 10 the player passes (3,1) in time";
}

TEST(InDeadEnd, VerticalCorridors) {
  SimHarness closedTwoAbove({"#####", "##+##", "##.##", "##1##", "##.##", "##.##", "##.##", "##.##", "###2#"});
  EXPECT_TRUE(closedTwoAbove.P1().InDeadEnd({2, 3}, 3)) << "the corridor above (2,3) ends at (2,1)";

  SimHarness closedFourAbove({"##+##", "##.##", "##.##", "##.##", "##1##", "##.##", "##.##", "##.##", "##+##", "###2#"});
  EXPECT_FALSE(closedFourAbove.P1().InDeadEnd({2, 4}, 3)) << "both ends of (2,4)'s corridor lie beyond range 3";
  EXPECT_TRUE(closedFourAbove.P1().InDeadEnd({2, 4}, 4)) << "with range 4 the closure at (2,0) counts";

  SimHarness sideOpening({"#####", "##+##", "#..##", "##1##", "##.##", "##.##", "##.##", "##.##", "###2#"});
  EXPECT_FALSE(sideOpening.P1().InDeadEnd({2, 3}, 3)) << "(1,2) opens the corridor before its end at (2,1)";

  SimHarness closedByBomb({"#####", "##o##", "##.##", "##1##", "##.##", "##.##", "##.##", "##.##", "###2#"});
  EXPECT_TRUE(closedByBomb.P1().InDeadEnd({2, 3}, 3)) << "a bomb closes a corridor too";
}

TEST(InDeadEnd, HorizontalCorridorsAndCrossings) {
  SimHarness row({"############", "#+.1.......#", "############", "2..........."});
  EXPECT_TRUE(row.P1().InDeadEnd({3, 1}, 3)) << "the row ends at (1,1), 2 cells left of (3,1)";
  EXPECT_FALSE(row.P1().InDeadEnd({6, 1}, 3)) << "both ends of the row lie more than 3 cells from (6,1)";

  SimHarness crossing({"#######", "#+.1..#", "###.###", "###.###", "2......"});
  EXPECT_FALSE(crossing.P1().InDeadEnd({3, 1}, 3)) << "(3,1) is a crossing: (2,1), (4,1) and (3,2) are open";

  SimHarness open({"#######", "#.....#", "#..1..#", "#.....#", "######2"});
  EXPECT_FALSE(open.P1().InDeadEnd({3, 2}, 3)) << "(3,2) stands in the open";
}

std::string Cells(const std::vector<TPoint>& cells) {
  std::string out;
  for (TPoint p : cells) out += Describe(p) + " ";
  return out;
}

// Puts a bomb under the player, as laying one does, without the escape planning that follows.
void BombUnder(SimHarness& g, TComputerPlayer& p, int fuse, int size = 3) { g.AddBomb(p.Position, fuse, size, &p); }

TEST(Escape, PrefersAFullySafeCellFarAwayOverANearPocket) {
  // The pocket (2,2) is safe now but a bomb on (2,1) would trap it; (5,1) is safe either way.
  SimHarness g({"##########", "#1.......#", "##.#######", "#########2"});
  BombUnder(g, g.P1(), 10);
  EXPECT_TRUE(g.P1().Escape());
  EXPECT_EQ(g.RouteEnd(g.P1()), (TPoint{5, 1})) << "expected the route to end on (5,1)\n" << g.Draw();
  EXPECT_EQ(g.RouteCells(g.P1()).size(), 4u) << Cells(g.RouteCells(g.P1()));
  EXPECT_EQ(g.P1().RouteTarget, NoPoint);
}

TEST(Escape, FallsBackToThePocketWhenNothingIsFullySafe) {
  SimHarness g({"##########", "#1...#####", "##.#######", "#########2"});
  BombUnder(g, g.P1(), 10);
  EXPECT_FALSE(g.P1().Escape()) << "no cell of the corridor survives a bomb behind it";
  EXPECT_EQ(g.RouteEnd(g.P1()), (TPoint{2, 2})) << "expected the route to end in the pocket (2,2)\n" << g.Draw();
}

TEST(Escape, SurvivesOpponentBombComesBeforeSafeForNow) {
  // (2,2) survives a bomb on the opponent's cell; (4,2), reached later, does not: the opponent
  // stands below it and the way back is covered by the player's own bomb, about to go off.
  SimHarness g({"######", "#1...#", "##.#.#", "####2#"});
  BombUnder(g, g.P1(), 2);
  EXPECT_FALSE(g.P1().Escape());
  EXPECT_EQ(g.RouteEnd(g.P1()), (TPoint{2, 2})) << "expected the route to end on (2,2), not (4,2)\n" << g.Draw();
  EXPECT_GE(g.P1().RouteGrid.GetCell({4, 2}), 0) << "the search should have reached (4,2) as well";
}

TEST(Escape, OwnCellThatIsSafeGivesARouteWithoutSteps) {
  // Every neighbour of (2,2) lies on a bomb's line; (2,2) itself on none, and (4,1) is a refuge.
  SimHarness g({"#a#b####", "c....###", "#.1..###", "d...####", "#####.2#"});
  EXPECT_TRUE(g.P1().IsCurrentCellSafe());
  EXPECT_TRUE(g.P1().Escape());
  EXPECT_TRUE(g.RouteCells(g.P1()).empty()) << "expected no step from (2,2): " << Cells(g.RouteCells(g.P1()));
  EXPECT_EQ(g.P1().RouteGrid.GetCell(g.P1().Position), NoStep);
}

TEST(Escape, WalledInWithoutKickClearsTheRoute) {
  for (bool canKick : {false, true}) {
    SimHarness g({"#####", "#1#2#", "#####"});
    BombUnder(g, g.P1(), 10);
    g.P1().CanKick = canKick;
    g.P1().RouteGrid.SetCell({1, 1}, 1);
    EXPECT_FALSE(g.P1().Escape());
    for (int x = 0; x < g.State().ColCount; ++x)
      for (int y = 0; y < g.State().RowCount; ++y)
        EXPECT_EQ(g.P1().RouteGrid.GetCell(x, y), NoStep) << "route grid at (" << x << "," << y << "), kick " << canKick;
  }
}

TEST(Escape, RunsToTheCalmestThreatenedCell) {
  // The own cell waits on a fuse of 3; (2,2) only on one of 8.
  SimHarness g({"#######", "##1a###", "##.####", "##b####", "######2"}, {{'a', 3, 3}, {'b', 8, 3}});
  EXPECT_FALSE(g.P1().Escape());
  EXPECT_EQ(g.RouteEnd(g.P1()), (TPoint{2, 2})) << "expected the route to end on (2,2)\n" << g.Draw();
}

TEST(Escape, FetchesTheKickPowerUpWhenItCannotKick) {
  SimHarness g({"##########", "#K.1a....#", "#########2"}, {{'a', 5, 3}});
  EXPECT_FALSE(g.P1().Escape());
  EXPECT_EQ(g.RouteEnd(g.P1()), (TPoint{1, 1})) << "expected the route to end on the kick power-up (1,1)\n"
                                                    << g.Draw();
}

TEST(Escape, NoKickNoRoute) {
  SimHarness g({"##########", "#..1a....#", "#########2"}, {{'a', 5, 3}});
  EXPECT_FALSE(g.P1().Escape());
  EXPECT_TRUE(g.RouteCells(g.P1()).empty()) << "every reachable cell waits on the same fuse: stay";
}

TEST(Escape, KicksTheBombAwayAfterTakingARunUp) {
  SimHarness g({"##########", "#..1a....#", "#########2"}, {{'a', 5, 3}});
  auto& p = g.P1();
  p.CanKick = true;
  EXPECT_FALSE(p.Escape());
  EXPECT_EQ(g.RouteCells(p), (std::vector<TPoint>{{2, 1}})) << "expected one step back to the run-up cell (2,1)";

  for (int tick = 0; tick < 3 && g.Sim->Stats().Players[0].Kicks == 0; ++tick) p.Think();
  EXPECT_EQ(g.Sim->Stats().Players[0].Kicks, 1) << g.Draw();
  EXPECT_EQ(p.Position, (TPoint{3, 1})) << "the kick happens on stepping onto (3,1)";
  g.Run(500);  // the bomb slides a cell per 100 ms; its fuse has 5 s left
  EXPECT_EQ(g.State().MazeGrid.GetCell({8, 1}), otBomb) << "the bomb slides to the end of the row\n" << g.Draw();
  EXPECT_TRUE(p.IsCurrentCellSafe());
}

TEST(Escape, KickRouteEndsOnTheBombWhenTheRunUpCellWasNeverReached) {
  // A slow player: (1,1) is reached but not entered, so the run-up cell (0,1) never is.
  SimHarness g({"######", "..a.##", "#.1###", "#b####", "####2#"});
  auto& p = g.P1();
  p.SetThinkInterval(10000);
  p.CanKick = true;
  EXPECT_FALSE(p.Escape());
  EXPECT_LT(p.RouteGrid.GetCell({0, 1}), 0) << "(0,1) should not have been reached";
  EXPECT_EQ(g.RouteCells(p), (std::vector<TPoint>{{1, 2}, {1, 1}, {2, 1}}))
      << "expected a route that leads back to the player and ends on the bomb (2,1): " << Cells(g.RouteCells(p));
}

TEST(PlanKick, NeedsAPushableBombAndTwoFreeRunUpCells) {
  SimHarness g({"########", "#.1a.+.#", "#...b..#", "#######2"});
  auto& p = g.P1();
  auto kick = [&](TPoint bomb, TDirection dir) { return p.PlanKick(bomb, dir); };
  EXPECT_TRUE(kick({3, 1}, dirRight)) << "(3,1) to the right: (4,1) is floor, run-up (2,1) and (1,1) free";
  EXPECT_FALSE(kick({3, 1}, dirLeft)) << "(3,1) to the left: the player stands on (2,1)";
  EXPECT_FALSE(kick({1, 1}, dirRight)) << "(1,1) holds no bomb";
  EXPECT_FALSE(kick({4, 2}, dirUp)) << "(4,2) upwards: the run-up (4,3) is wall";

  p.Position = {1, 2};
  EXPECT_FALSE(kick({3, 1}, dirLeft)) << "(3,1) to the left: the run-up (5,1) is a destructible block";
  EXPECT_TRUE(kick({4, 2}, dirLeft)) << "(4,2) to the left: run-up (5,2) and (6,2) free";
  g.P2().Position = {6, 2};
  EXPECT_FALSE(kick({4, 2}, dirLeft)) << "(4,2) to the left: the opponent stands on the run-up (6,2)";

  g.State().MazeGrid.SetCell({4, 1}, otBombPUP);
  EXPECT_FALSE(kick({3, 1}, dirRight)) << "a bomb does not slide onto the power-up at (4,1)";
}

}  // namespace
}  // namespace detonix::test
