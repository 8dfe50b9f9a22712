// Decision rules of the computer player that the broader tests walk past without pinning: each
// case here fails if its rule is dropped or loosened.
#include <gtest/gtest.h>

#include "support/SimHarness.h"

namespace detonix::test {
namespace {

TEST(Rules, AStepThatBringsAVisibleOpponentIntoLineEndsWithABomb) {
  SimHarness g({"##########", "#1...2...#", "#.########", "#.########", "##########"});
  auto& p = g.P1();
  p.PlanRoute(g.P2().Position);
  p.Think();
  ASSERT_EQ(g.Actions.size(), 2u) << g.Draw();
  EXPECT_EQ(g.Actions[0].Action, Ord(dirRight));
  EXPECT_EQ(g.Actions[1].Action, LayBombAction) << "from (2,1) the opponent on (5,1) is in reach";
  EXPECT_EQ(g.Actions[1].From, (TPoint{2, 1}));
}

TEST(Rules, ABombSpotAllowsOneFuseTickMoreThanTheWalkThere) {
  // The spot (3,1) beside the block lies one move away; the bomb at (3,3) covers it.
  for (int fuse : {2, 3}) {
    SimHarness g({"#######", "#.1.+##", "#.#.###", "#.#a###", "#.#####", "#.#####", "######2"}, {{'a', fuse, 3}});
    auto& p = g.P1();
    p.PlanRoute(g.P2().Position);
    ASSERT_EQ(p.BombSpotList().size(), 1u);
    if (fuse == 2) {
      EXPECT_TRUE(g.RouteCells(p).empty()) << "the bomb goes off within the 3 ticks allowed\n" << g.Draw();
    } else {
      EXPECT_EQ(g.RouteEnd(p), (TPoint{3, 1})) << "fuse 3 leaves time to bomb the block";
      EXPECT_EQ(p.RouteGrid.GetCell({3, 1}), BombOnArrival);
    }
  }
}

TEST(Rules, ABombSpotMustLeaveAWayOutOfTheLargerBlast) {
  // From the spot (5,1) the only refuge is (1,1), 4 cells along the corridor.
  struct {
    int Own, Opponent;
    bool Taken;
  } const cases[] = {{3, 3, true}, {3, 4, false}, {4, 3, false}};
  for (const auto& c : cases) {
    SimHarness g({"########", "#1....+#", "#######2"});
    g.P1().ExplosionSize = static_cast<int8_t>(c.Own);
    g.P2().ExplosionSize = static_cast<int8_t>(c.Opponent);
    g.P1().PlanRoute(g.P2().Position);
    const TPoint expected = c.Taken ? TPoint{5, 1} : TPoint{1, 1};
    EXPECT_EQ(g.RouteEnd(g.P1()), expected)
        << "sizes " << c.Own << " and " << c.Opponent;
  }
}

TEST(Rules, EscapeRunsToTheFirstOfEquallyCalmCells) {
  // The own cell waits on a fuse of 3; (2,2) and (2,3) both on one of 8.
  SimHarness g({"#######", "##1a###", "##.####", "##.####", "##b####", "######2"}, {{'a', 3, 3}, {'b', 8, 3}});
  EXPECT_FALSE(g.P1().Escape());
  EXPECT_EQ(g.RouteEnd(g.P1()), (TPoint{2, 2})) << "a cell no calmer than (2,2) does not replace it\n" << g.Draw();
}

TEST(Rules, EscapeFetchesTheNearestKickPowerUp) {
  SimHarness g({"##########", "#KK1a....#", "#########2"}, {{'a', 5, 3}});
  EXPECT_FALSE(g.P1().Escape());
  EXPECT_EQ(g.RouteEnd(g.P1()), (TPoint{2, 1})) << "(2,1) is reached before (1,1)\n" << g.Draw();
}

TEST(Rules, ThinkMeasuresItsDeadEndWithTheOpponentsBomb) {
  // The corridor above (2,5) ends 4 cells up at (2,1); below, (2,7) opens into a row.
  const std::vector<std::string> corridor{"##########", "##+#######", "##.#######", "##.#######", "##.#######",
                                          "##1#######", "##.#######", "##......2#", "##########"};
  SimHarness caught(corridor);
  caught.P2().ExplosionSize = 4;
  caught.P1().Think();
  EXPECT_EQ(caught.P1().RouteTarget, NoPoint) << "a bomb of size 4 could close the corridor: leave it";
  EXPECT_EQ(caught.RouteEnd(caught.P1()), (TPoint{2, 6}));

  SimHarness free(corridor);
  free.P1().ExplosionSize = 4;
  free.P1().Think();
  EXPECT_EQ(free.P1().RouteTarget, (TPoint{8, 7})) << "the player's own size does not make a dead end";
}

// The invisible opponent is believed to be on (4,1), in the line of fire of (1,1); a bomb at (4,3),
// if there is one, already covers that cell. The player can get away down column 1.
std::vector<std::string> GuessUnderFire(bool bomb, bool opponentAhead) {
  return {"#######",
          opponentAhead ? "#12...#" : "#1....#",
          "#.##.##",
          bomb ? "#.##o##" : "#.#####",
          "#.#####",
          "#.#####",
          opponentAhead ? "#######" : "######2"};
}

TEST(Rules, NoBombForAGuessThatABombAlreadyCovers) {
  for (bool bomb : {false, true}) {
    SimHarness g(GuessUnderFire(bomb, false));
    auto& p = g.P1();
    g.P2().Visible = false;
    p.OpponentTarget = {4, 1};
    p.Think();
    EXPECT_EQ(g.BombsAsked(1), bomb ? 0 : 1) << (bomb ? "with" : "without") << " the bomb at (4,3)\n" << g.Draw();
  }
}

TEST(Rules, NoBombAfterARefusedStepForAGuessThatABombAlreadyCovers) {
  for (bool bomb : {false, true}) {
    SimHarness g(GuessUnderFire(bomb, true));
    auto& p = g.P1();
    g.P2().Visible = false;
    p.OpponentTarget = {4, 1};
    p.RouteGrid.SetCell(p.Position, Ord(dirRight));
    p.Think();
    ASSERT_EQ(p.OpponentTarget, (TPoint{2, 1})) << "the step was refused by the opponent on (2,1)";
    EXPECT_EQ(g.BombsAsked(1), bomb ? 0 : 1) << (bomb ? "with" : "without") << " the bomb at (4,3)\n" << g.Draw();
  }
}

TEST(Rules, OnlyABlockedStepShowsWhereTheInvisibleOpponentIs) {
  SimHarness g({"#######", "#1....#", "#######", "######2"});
  auto& p = g.P1();
  g.P2().Visible = false;
  p.OpponentTarget = {5, 1};
  g.State().MazeGrid.SetCell(p.Position, otExplosion);
  p.RouteGrid.SetCell(p.Position, Ord(dirRight));
  p.Think();
  EXPECT_EQ(p.OpponentTarget, (TPoint{5, 1})) << "the flame held the player; nobody stands on (2,1)";

  g.P2().Position = {2, 1};
  p.RouteGrid.SetCell(p.Position, Ord(dirRight));
  p.Think();
  EXPECT_EQ(p.OpponentTarget, (TPoint{2, 1})) << "the opponent on (2,1) blocks the step, flame or not";
}

TEST(Rules, AGuessThePlayerReachedEmptyIsForgotten) {
  SimHarness g({"#########", "#1.....B#", "#.#######", "#.#######", "########2"});
  auto& p = g.P1();
  g.P2().Visible = false;
  p.OpponentTarget = {3, 1};
  p.PlanRoute(p.OpponentTarget);
  p.Think();
  p.Think();
  ASSERT_EQ(p.Position, (TPoint{3, 1})) << "the player walked onto its guess";
  p.Think();
  EXPECT_EQ(g.BombsAsked(1), 0) << "nobody stands on (3,1) to be bombed\n" << g.Draw();
  EXPECT_EQ(p.OpponentTarget, NoPoint);
  EXPECT_EQ(g.RouteEnd(p), (TPoint{7, 1})) << "with no guess left it goes for the power-up";
}

}  // namespace
}  // namespace detonix::test
