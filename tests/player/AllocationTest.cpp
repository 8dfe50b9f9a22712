// The searches run on every think tick: they must reuse their buffers, not allocate.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "TestGame.h"

namespace {
std::atomic<long> Allocations{0};
}

void* operator new(std::size_t size) {
  ++Allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace detonix::test {
namespace {

TEST(Searches, DoNotAllocate) {
  TTestGame g({
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
  auto& p = g.Player1;
  p.OnAction = nullptr;
  p.CanKick = true;
  g.AddBomb(p.Position, 10, 3, &p);

  const long before = Allocations.load();
  p.Escape();
  p.PlanRoute(g.Player2.Position);
  p.PlanRoute(NoPoint);
  for (int i = 0; i < 5; ++i) p.Think();
  p.BombThreat({7, 3}, -2);
  p.CanEscape({3, 1}, {{3, 1}, {13, 7}}, {3, 3});
  TPoint spot = NoPoint;
  p.ChooseBombSpot(spot);
  g.Player2.Escape();
  g.Player2.PlanRoute(NoPoint);
  EXPECT_EQ(Allocations.load() - before, 0) << "allocations during the searches";
}

}  // namespace
}  // namespace detonix::test
