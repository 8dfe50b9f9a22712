// Replaces the global allocator with one that counts, for the allocation tests. Kept in a file of
// its own so that the compiler does not inline it into code it cannot pair it with.
#include <atomic>
#include <cstdlib>
#include <new>

namespace detonix::test {
namespace {
std::atomic<long> Allocations{0};
}
long AllocationCount() { return Allocations.load(); }
}  // namespace detonix::test

void* operator new(std::size_t size) {
  ++detonix::test::Allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// The array and nothrow forms call these.
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
