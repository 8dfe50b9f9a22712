#include "platform/Prefault.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#endif

namespace detonix {

#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
TPrefault::TPrefault(void* pixels, size_t bytes) {
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  if (!pixels || bytes < 64 * page) return;  // a small window's faults cost nothing to speak of
  const uintptr_t first = reinterpret_cast<uintptr_t>(pixels) & ~(page - 1);
  const uintptr_t end = reinterpret_cast<uintptr_t>(pixels) + bytes;
  // A megabyte at a time: each call holds the process's memory map, which the game's own
  // allocations need meanwhile. A kernel before 5.14 refuses the advice: first touch as before.
  FThread = std::thread([first, end, page] {
    const uintptr_t step = 256 * page;
    for (uintptr_t at = first; at < end; at += step)
      if (madvise(reinterpret_cast<void*>(at), std::min(step, end - at), MADV_POPULATE_WRITE) != 0) return;
  });
}
#else
TPrefault::TPrefault(void*, size_t) {}
#endif

TPrefault::~TPrefault() {
#ifdef __linux__
  if (FThread.joinable()) FThread.join();
#endif
}

}  // namespace detonix
