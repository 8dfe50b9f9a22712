#pragma once

#include <cstddef>
#ifdef __linux__
#include <thread>
#endif

namespace detonix {

// A window's new pixels are memory the kernel hands out page by page on first touch: at 3840x2160
// that is some 8,000 faults, more time than drawing the board takes. This asks for all of them on
// another core while the game paints its pictures; drawing meanwhile is safe (the advice keeps
// the pages' contents). The destructor waits for it. Elsewhere than on Linux it does nothing.
class TPrefault {
 public:
  TPrefault(void* pixels, size_t bytes);
  ~TPrefault();
  TPrefault(const TPrefault&) = delete;
  TPrefault& operator=(const TPrefault&) = delete;

#ifdef __linux__
 private:
  std::thread FThread;
#endif
};

}  // namespace detonix
