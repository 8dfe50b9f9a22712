#include <gtest/gtest.h>

#include "support/SimHarness.h"

namespace detonix::test {
namespace {

int CountCells(SimHarness& g, TObjectType t) {
  int n = 0;
  for (int x = 0; x < g.State().ColCount; ++x)
    for (int y = 0; y < g.State().RowCount; ++y) n += g.State().MazeGrid.GetCell(x, y) == t;
  return n;
}

// Blocks to clear, the opponent shut away in a corner.
std::vector<std::string> Quarry() {
  return {
      "#############",
      "#1..+.+.+...#",
      "#.#+#.#+#.#.#",
      "#..+..+...+.#",
      "#.#.#+#.#.#+#",
      "#+..+...+...#",
      "###########2#",
  };
}

TEST(Play, AlonePlayerBlowsUpBlocksWithoutBeingHit) {
  SimHarness g(Quarry());
  g.P1().SetThinkInterval(150);
  const int blocksBefore = CountCells(g, otExpBlock);
  g.P1().SetActive(true);
  g.Run(60'000);
  int bombs = 0;
  for (const auto& a : g.Actions) bombs += a.Action == LayBombAction;
  EXPECT_GT(bombs, 0) << g.Draw();
  EXPECT_LT(CountCells(g, otExpBlock), blocksBefore) << "some blocks should be gone\n" << g.Draw();
  EXPECT_EQ(g.Sim->Stats().Hits[0], 0) << "the player was caught by its own bombs\n" << g.Draw();
  EXPECT_EQ(g.RefusedBombs, 0) << "it asked for bombs only where one could be laid";
}

TEST(Play, SameBoardSameTimingSameGame) {
  const std::vector<std::string> arena{
      "###############",
      "#1..+...+..+..#",
      "#.#.#+#.#+#.#.#",
      "#..+..B..+..+.#",
      "#.#+#.#.#.#+#.#",
      "#..+..+..E..+2#",
      "###############",
  };
  SimHarness a(arena);
  SimHarness b(arena);
  for (SimHarness* g : {&a, &b}) {
    g->P1().SetThinkInterval(150);
    g->P2().SetThinkInterval(120);
    g->Start();
    g->Run(45'000);
  }
  ASSERT_EQ(a.Actions.size(), b.Actions.size());
  EXPECT_GT(a.Actions.size(), 20u) << "the players should have been busy";
  for (size_t i = 0; i < a.Actions.size(); ++i) {
    EXPECT_EQ(a.Actions[i].Player, b.Actions[i].Player) << "action " << i;
    EXPECT_EQ(a.Actions[i].Action, b.Actions[i].Action) << "action " << i;
    EXPECT_EQ(a.Actions[i].From, b.Actions[i].From) << "action " << i;
  }
  EXPECT_EQ(a.Draw(), b.Draw());
}

}  // namespace
}  // namespace detonix::test
