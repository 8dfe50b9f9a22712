// The searches run on every think tick: they must reuse their buffers, not allocate.
#include <gtest/gtest.h>

#include "support/SimHarness.h"

namespace detonix::test {
long AllocationCount();
namespace {

TEST(Searches, DoNotAllocate) {
  SimHarness g({
      "###############",
      "#1..+...+..+..#",
      "#.#.#+#.#+#.#.#",
      "#..+..B..a..+.#",
      "#.#+#.#.#.#+#.#",
      "#..+.K+..E..+.#",
      "#.#.#.#.#.#.#.#",
      "#b...........2#",
      "###############",
  });
  auto& p = g.P1();
  p.OnAction = nullptr;
  p.CanKick = true;
  g.AddBomb(p.Position, 10, 3, &p);

  const long before = AllocationCount();
  p.Escape();
  p.PlanRoute(g.P2().Position);
  p.PlanRoute(NoPoint);
  for (int i = 0; i < 5; ++i) p.Think();
  p.BombThreat({7, 3}, -2);
  p.CanEscape({3, 1}, {{3, 1}, {13, 7}}, {3, 3});
  TPoint spot = NoPoint;
  p.ChooseBombSpot(spot);
  g.P2().Escape();
  g.P2().PlanRoute(NoPoint);
  EXPECT_EQ(AllocationCount() - before, 0) << "allocations during the searches";
}

}  // namespace
}  // namespace detonix::test
