#include "native/EndWatch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <future>

namespace detonix::native {
namespace {

// The loop that never comes back to stop the watch: after a signal the watch first asks it to
// end, then ends the process itself. Without a signal it does neither.
TEST(EndWatch, ActsForABusyLoopOnlyAfterASignal) {
  int asked = 0;
  int overdue = 0;
  { TEndWatch quiet(nullptr, [&] { ++asked; }, [&] { ++overdue; }, 10); }
  EXPECT_EQ(asked + overdue, 0);

  std::promise<int> ended;
  TEndWatch watch(nullptr, [&] { ++asked; }, [&] { ended.set_value(asked); }, 10);
  TEndWatch::NoteSignal(SIGTERM);
  auto result = ended.get_future();
  ASSERT_EQ(result.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(result.get(), 1) << "the loop is asked to end before the process is";
}

}  // namespace
}  // namespace detonix::native
