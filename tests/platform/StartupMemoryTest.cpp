#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/StartupMemory.h"

namespace {

// A relocated table (read-only only after the loader wrote it), written data and code through a pointer.
const char* const Names[] = {"bomb", "fire"};
int Written = 1;
int Twice(int n) { return 2 * n; }
int (*volatile Call)(int) = Twice;

long ResidentKb() {
  std::ifstream in("/proc/self/smaps_rollup");
  std::string key;
  long kb = -1;
  while (in >> key && key != "Rss:") {}
  in >> kb;
  return kb;
}

}  // namespace

TEST(StartupMemoryTest, HandsBackReadOnlyPagesAndKeepsWhatWasWritten) {
#if !defined(__linux__) || defined(__EMSCRIPTEN__)
  GTEST_SKIP() << "only Linux hands pages back";
#else
  Written = 41;
  const long before = ResidentKb();
  ASSERT_GT(before, 0);
  detonix::ReleaseStartupMemory();
  EXPECT_LT(ResidentKb(), before);
  EXPECT_STREQ(Names[1], "fire");
  EXPECT_EQ(++Written, 42);
  EXPECT_EQ(Call(21), 42);
#endif
}
