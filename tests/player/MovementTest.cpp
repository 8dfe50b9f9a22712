#include <gtest/gtest.h>

#include "support/SimHarness.h"

namespace detonix::test {
namespace {

TEST(ComputerPlayer, StartsIdleWithItsOwnDefaults) {
  SimHarness g({"#1..2#"});
  TComputerPlayer p(g.State());  // as made, before a game sets it up
  p.SetOpponent(&g.P2());
  EXPECT_FALSE(p.ThinkTimer.Enabled());
  EXPECT_EQ(p.ThinkTimer.Interval(), 200u);
  EXPECT_DOUBLE_EQ(p.StepsPerFuseTick, 4.0);
  EXPECT_EQ(p.SafetyMargin, 2);
  EXPECT_TRUE(p.ShowWhenInvisible);
  EXPECT_EQ(p.RouteTarget, NoPoint);
  EXPECT_EQ(p.RouteGrid.ColCount, 6);
  EXPECT_EQ(p.RouteGrid.RowCount, 1);
  EXPECT_EQ(p.RouteGrid.GetCell(3, 0), NoStep);
  EXPECT_EQ(p.OpponentTarget, (TPoint{4, 0})) << "SetOpponent takes the opponent's cell";
}

TEST(ComputerPlayer, SetThinkIntervalIgnoresNonPositiveValues) {
  SimHarness g({"#1..2#"});
  auto& p = g.P1();
  p.SetThinkInterval(150);
  EXPECT_EQ(p.ThinkTimer.Interval(), 150u);
  EXPECT_NEAR(p.StepsPerFuseTick, 800.0 / 150.0, 1e-12);
  p.SetThinkInterval(0);
  p.SetThinkInterval(-20);
  EXPECT_EQ(p.ThinkTimer.Interval(), 150u);
  EXPECT_NEAR(p.StepsPerFuseTick, 800.0 / 150.0, 1e-12);
  p.SetThinkInterval(10000);
  EXPECT_EQ(p.ThinkTimer.Interval(), 10000u);
  EXPECT_DOUBLE_EQ(p.StepsPerFuseTick, 0.1) << "never below 0.1 steps per fuse tick";
}

TEST(ComputerPlayer, WalkTicksRoundsHalfUp) {
  SimHarness g({"#1..2#"});
  auto& p = g.P1();  // 4 steps per fuse tick
  EXPECT_EQ(p.WalkTicks(0), 0);
  EXPECT_EQ(p.WalkTicks(1), 0);
  EXPECT_EQ(p.WalkTicks(2), 1) << "0.5 rounds up";
  EXPECT_EQ(p.WalkTicks(5), 1);
  EXPECT_EQ(p.WalkTicks(6), 2);
  EXPECT_EQ(p.WalkTicks(400), 100) << "long walks do not wrap";
}

TEST(ComputerPlayer, SetActiveSwitchesTheThinkTimerEveryTime) {
  SimHarness g({"#1..2#"});
  auto& p = g.P1();
  p.SetActive(true);
  EXPECT_TRUE(p.Active());
  EXPECT_TRUE(p.ThinkTimer.Enabled());
  p.ThinkTimer.SetEnabled(false);
  p.SetActive(true);
  EXPECT_TRUE(p.ThinkTimer.Enabled()) << "also when the player was active already";
  p.SetActive(false);
  EXPECT_FALSE(p.ThinkTimer.Enabled());
}

TEST(ComputerPlayer, SetOpponentTakesTheCellOnlyWhenTheOpponentChanges) {
  SimHarness g({"#1..2#"});
  auto& p = g.P1();
  p.OpponentTarget = {2, 0};
  p.SetOpponent(&g.P2());
  EXPECT_EQ(p.OpponentTarget, (TPoint{2, 0})) << "the same opponent again changes nothing";
  p.SetOpponent(nullptr);
  p.SetOpponent(&g.P2());
  EXPECT_EQ(p.OpponentTarget, (TPoint{4, 0}));
}

TEST(ComputerPlayer, ResetClearsTheRoute) {
  SimHarness g({"#1..2#"});
  auto& p = g.P1();
  p.RouteGrid.SetCell(p.Position, 1);
  p.Lives = 1;
  p.Reset(false);
  EXPECT_EQ(p.RouteGrid.GetCell(p.Position), NoStep);
  EXPECT_EQ(p.Lives, 1);
  p.Reset(true);
  EXPECT_EQ(p.Lives, 3);
}

TEST(CanMove, OnlyOntoFloorAndPowerUpsNotOntoTheOpponent) {
  SimHarness g({"#.#", "x1B", "#2#"});
  auto& p = g.P1();
  EXPECT_TRUE(p.CanMove(dirUp)) << "(1,0) is floor";
  EXPECT_TRUE(p.CanMove(dirRight)) << "(2,1) holds a power-up";
  EXPECT_FALSE(p.CanMove(dirLeft)) << "(0,1) is on fire";
  EXPECT_FALSE(p.CanMove(dirDown)) << "the opponent stands on (1,2)";
  g.P2().Position = {1, 0};
  EXPECT_TRUE(p.CanMove(dirDown)) << "(1,2) is floor once the opponent has left";
  EXPECT_FALSE(p.CanMove(dirUp)) << "the opponent now stands on (1,0), visible or not";
  g.P2().Visible = false;
  EXPECT_FALSE(p.CanMove(dirUp));
  p.Position = {0, 0};
  EXPECT_FALSE(p.CanMove(dirLeft)) << "off the board";
  EXPECT_FALSE(p.CanMove(dirUp)) << "off the board";
  g.State().MazeGrid.SetCell({1, 2}, otBomb);
  p.Position = {1, 1};
  EXPECT_FALSE(p.CanMove(dirDown)) << "a bomb at (1,2)";
}

TEST(TryMove, MovesThroughOnActionAndRefusesWhileBurning) {
  SimHarness g({"#1..2#"});
  auto& p = g.P1();
  EXPECT_TRUE(p.TryMove(dirRight));
  EXPECT_EQ(p.Position, (TPoint{2, 0}));
  EXPECT_FALSE(p.TryMove(dirUp)) << "off the board";
  ASSERT_EQ(g.Actions.size(), 1u);
  EXPECT_EQ(g.Actions[0].Action, Ord(dirRight));

  g.State().MazeGrid.SetCell(p.Position, otExplosion);
  EXPECT_FALSE(p.TryMove(dirLeft)) << "a hit player stays while the flame is on its cell";
  EXPECT_EQ(p.Position, (TPoint{2, 0}));
  p.FlashState = 1;
  EXPECT_TRUE(p.TryMove(dirLeft)) << "a flashing player may walk out of the flame";
  g.State().MazeGrid.SetCell({2, 0}, otEmpty);
  g.State().MazeGrid.SetCell(p.Position, otExplosion);
  p.FlashState = 0;
  p.Indestructible = true;
  EXPECT_TRUE(p.TryMove(dirRight)) << "so may an indestructible one";
}

TEST(TryMove, WithoutAHandlerTheActionIsLost) {
  SimHarness g({"#1..2#"});
  auto& p = g.P1();
  p.OnAction = nullptr;
  EXPECT_TRUE(p.TryMove(dirRight)) << "the player believes it moved";
  EXPECT_EQ(p.Position, (TPoint{1, 0}));
  p.DoAction(LayBombAction);
  EXPECT_EQ(g.State().MazeGrid.GetCell(p.Position), otEmpty);
  p.RouteGrid.SetCell(p.Position, Ord(dirRight));
  p.Think();
  EXPECT_TRUE(g.Actions.empty());
}

TEST(SetRoute, TargetOnThePlayerLeavesNoStep) {
  SimHarness g({"#1..2#"});
  auto& p = g.P1();
  p.RouteGrid.SetCell(p.Position, Ord(dirRight));
  EXPECT_TRUE(p.SetRoute(p.Position));
  EXPECT_EQ(p.RouteGrid.GetCell(p.Position), NoStep);
  EXPECT_FALSE(p.FollowRoute(p.Goal())) << "the next think finds no step and decides afresh";
}

TEST(SetRoute, TurnsBackDirectionsIntoSteps) {
  SimHarness g({"#####", "#1..#", "###.#", "#2..#", "#####"});
  auto& p = g.P1();
  // Back directions as a search from (1,1) would leave them.
  p.RouteGrid.SetCell({2, 1}, Ord(dirLeft));
  p.RouteGrid.SetCell({3, 1}, Ord(dirLeft));
  p.RouteGrid.SetCell({3, 2}, Ord(dirUp));
  p.RouteGrid.SetCell({3, 3}, Ord(dirUp));
  p.RouteGrid.SetCell({2, 3}, Ord(dirRight));
  EXPECT_TRUE(p.SetRoute({2, 3}));
  EXPECT_EQ(g.RouteCells(p), (std::vector<TPoint>{{2, 1}, {3, 1}, {3, 2}, {3, 3}, {2, 3}}));
  EXPECT_EQ(p.RouteGrid.GetCell({2, 3}), NoStep) << "the target holds no step";
}

TEST(SetRoute, NeverLoopsOnMarksThatDoNotLeadBack) {
  SimHarness g({"#####", "#1..#", "#...#", "#..2#", "#####"});
  auto& p = g.P1();
  p.RouteGrid.SetCell({2, 2}, Ord(dirRight));
  p.RouteGrid.SetCell({3, 2}, Ord(dirLeft));
  EXPECT_FALSE(p.SetRoute({2, 2})) << "(2,2) and (3,2) point at each other";
  EXPECT_EQ(p.RouteGrid.GetCell(p.Position), NoStep) << "no route is left behind";

  EXPECT_FALSE(p.SetRoute({3, 3})) << "(3,3) was never reached";
  p.RouteGrid.SetCell({0, 1}, Ord(dirLeft));
  EXPECT_FALSE(p.SetRoute({0, 1})) << "the chain from (0,1) leaves the board";
  EXPECT_TRUE(g.RouteCells(p).empty());
}

TEST(FollowRoute, BombMarkerLaysOnlyWhenItIsSafe) {
  SimHarness g({"#######", "#1....#", "##.####", "##.####", "######2"});
  auto& p = g.P1();
  p.RouteGrid.SetCell(p.Position, BombOnArrival);
  p.BombsLeft = 0;
  EXPECT_TRUE(p.FollowRoute(p.Goal()));
  EXPECT_EQ(g.BombsAsked(1), 0) << "no bombs left";
  EXPECT_EQ(p.RouteGrid.GetCell(p.Position), NoStep) << "the marker is consumed all the same";

  p.BombsLeft = 5;
  p.RouteGrid.SetCell(p.Position, BombOnArrival);
  EXPECT_TRUE(p.FollowRoute(p.Goal()));
  EXPECT_EQ(g.BombsAsked(1), 1);
  EXPECT_EQ(g.State().MazeGrid.GetCell({1, 1}), otBomb);
}

TEST(FollowRoute, RefusedStepAgainstAnInvisibleOpponentMovesTheGuess) {
  SimHarness g({"########", "#12....#", "########"});
  auto& p = g.P1();
  g.P2().Visible = false;
  p.OpponentTarget = {5, 1};
  p.PlanRoute(p.OpponentTarget);
  ASSERT_EQ(p.RouteTarget, (TPoint{5, 1}));
  ASSERT_EQ(p.RouteGrid.GetCell(p.Position), Ord(dirRight));

  p.Think();
  EXPECT_EQ(p.OpponentTarget, (TPoint{2, 1})) << "the refused step shows the opponent on (2,1)";
  EXPECT_EQ(p.Position, (TPoint{1, 1}));
  EXPECT_TRUE(g.Actions.empty());

  p.Think();
  EXPECT_EQ(g.BombsAsked(1), 0) << "a bomb on (1,1) would leave no way out of the dead end";
}

TEST(FollowRoute, GuessNeedsAnOpenCell) {
  SimHarness g({"#1#", "#.#", "#2#"});
  auto& p = g.P1();
  p.OpponentTarget = {1, 2};
  EXPECT_FALSE(p.GuessOpponentAt(dirLeft)) << "(0,0) is a block";
  EXPECT_FALSE(p.GuessOpponentAt(dirUp)) << "off the board";
  EXPECT_EQ(p.OpponentTarget, (TPoint{1, 2}));
  EXPECT_TRUE(p.GuessOpponentAt(dirDown));
  EXPECT_EQ(p.OpponentTarget, (TPoint{1, 1}));
}

TEST(Think, ABurningPlayerStaysAndKeepsPlanningItsEscape) {
  SimHarness g({"#######", "#1....#", "#######", "######2"});
  auto& p = g.P1();
  g.State().MazeGrid.SetCell(p.Position, otExplosion);
  p.RouteGrid.SetCell(p.Position, Ord(dirRight));
  for (int tick = 0; tick < 3; ++tick) {
    p.Think();
    EXPECT_EQ(p.Position, (TPoint{1, 1})) << "tick " << tick;
    EXPECT_EQ(p.RouteGrid.GetCell(p.Position), Ord(dirRight)) << "Escape sets a route towards (2,1) on tick " << tick;
  }
  EXPECT_TRUE(g.Actions.empty());
}

TEST(Think, ChasesTheOpponentAndReplansInTheSameTickWhenItMoves) {
  SimHarness g({"##########", "#1.......#", "#........#", "#......2.#", "##########"});
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  ASSERT_EQ(p.RouteTarget, (TPoint{7, 3}));
  EXPECT_EQ(g.RouteEnd(p), (TPoint{7, 3})) << "the route leads into the opponent's cell";
  const TPoint firstStep = g.RouteCells(p).front();

  g.P2().Position = {8, 1};
  p.Think();
  EXPECT_EQ(p.Position, firstStep) << "one step along the old route first";
  EXPECT_EQ(p.RouteTarget, (TPoint{8, 1})) << "then a new plan towards the opponent's new cell";
  EXPECT_EQ(g.RouteEnd(p), (TPoint{8, 1}));
}

TEST(Think, LaysABombWhenTheOpponentIsInLineAndItCanGetAway) {
  SimHarness g({"##########", "#1..2....#", "#..#######", "##########"});
  auto& p = g.P1();
  p.RouteTarget = {4, 1};  // as if it had been chasing
  p.Think();
  ASSERT_EQ(g.BombsAsked(1), 1) << "the opponent on (4,1) is 3 cells away\n" << g.Draw();
  EXPECT_EQ(g.Actions.size(), 1u) << "a tick lays one bomb and makes no move";
  // The simulator lays the bomb and asks both players to escape before DoAction returns.
  EXPECT_EQ(p.RouteTarget, NoPoint) << "the escape inside DoAction ends the chase";
  const auto route = g.RouteCells(p);
  ASSERT_FALSE(route.empty()) << "the escape inside DoAction set a route\n" << g.Draw();
  EXPECT_FALSE(p.InLineOfFire(route.back(), {1, 1}, 3)) << "the route ends out of the bomb's reach at " << Describe(route.back());
  const auto opponentRoute = g.RouteCells(g.P2());
  ASSERT_FALSE(opponentRoute.empty()) << "the opponent in the line of fire escapes too";
  EXPECT_FALSE(p.InLineOfFire(opponentRoute.back(), {1, 1}, 3));

  p.Think();
  EXPECT_EQ(p.Position, route.front()) << "the next tick follows the escape route";
}

TEST(Think, NoBombWhenTheOpponentIsOutOfLineButAChase) {
  SimHarness g({"##########", "#1...2...#", "##########"});
  auto& p = g.P1();
  p.Think();
  EXPECT_EQ(g.BombsAsked(1), 0) << "(5,1) lies 4 cells away, beyond size 3";
  EXPECT_EQ(p.RouteTarget, (TPoint{5, 1}));
}

TEST(Think, ThinkTimerDrivesOneStepPerTick) {
  SimHarness g({"############", "#1.........#", "############", "###########2"});
  auto& p = g.P1();
  p.OpponentTarget = {10, 1};
  g.P2().Visible = false;
  p.PlanRoute({10, 1});
  p.SetActive(true);
  g.Run(199);
  EXPECT_EQ(p.Position, (TPoint{1, 1})) << "nothing before the first 200 ms tick";
  g.Run(1);
  EXPECT_EQ(p.Position, (TPoint{2, 1}));
  g.Run(800);
  EXPECT_EQ(p.Position, (TPoint{6, 1})) << "one cell per tick";
  p.SetActive(false);
  g.Run(1000);
  EXPECT_EQ(p.Position, (TPoint{6, 1})) << "an inactive player does not think";
}

}  // namespace
}  // namespace detonix::test
