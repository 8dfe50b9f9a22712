#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "platform/StartupMemory.h"

using namespace detonix;

namespace {

// A relocated table (read-only only after the loader wrote it), written data and code through a pointer.
const char* const Names[] = {"bomb", "fire"};
int Written = 1;
int Twice(int n) { return 2 * n; }
int (*volatile Call)(int) = Twice;

long ResidentKb() {
  std::ifstream in("/proc/self/smaps_rollup");
  for (std::string key; in >> key;) {
    if (key == "Rss:") {
      long kb = 0;
      in >> kb;
      return kb;
    }
  }
  return -1;
}

}  // namespace

TEST(StartupMemoryTest, HandsBackReadOnlyPagesAndKeepsWhatWasWritten) {
#if !defined(__linux__) || defined(__EMSCRIPTEN__)
  GTEST_SKIP() << "only Linux hands pages back";
#else
  Written = 41;
  auto heap = std::make_unique<char[]>(300000);
  std::memset(heap.get(), 7, 300000);
  const long before = ResidentKb();
  ASSERT_GT(before, 0);
  ReleaseStartupMemory();
  const long after = ResidentKb();
  EXPECT_LT(after, before);
  EXPECT_STREQ(Names[1], "fire");
  EXPECT_EQ(++Written, 42);
  EXPECT_EQ(Call(21), 42);
  EXPECT_EQ(heap[0], 7);
  EXPECT_EQ(heap[299999], 7);
#endif
}
