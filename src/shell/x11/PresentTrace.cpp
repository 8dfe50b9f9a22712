#include "shell/x11/PresentTrace.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace detonix::x11 {

namespace {

using TClock = std::chrono::steady_clock;

// Taken before main: the replay counts from its own start alike.
const TClock::time_point Start = TClock::now();

std::FILE* OpenTrace() {
  const char* path = std::getenv("DETONIX_PRESENT_TRACE");
  if (!path || !*path) return nullptr;
  std::FILE* file = std::fopen(path, "w");
  if (!file) {
    std::fprintf(stderr, "detonix: cannot write the present trace %s: %s\n", path, std::strerror(errno));
    return nullptr;
  }
  // Written when full and at the end (exit, or the flush before the program ends by a signal): no
  // write of its own for each frame.
  std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
  return file;
}

std::FILE* const Trace = OpenTrace();

}  // namespace

void TracePresent(const std::vector<TRect>& rects) {
  if (!Trace) return;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - Start).count();
  std::fprintf(Trace, "%lld", static_cast<long long>(ms));
  for (const TRect& r : rects) std::fprintf(Trace, " %d %d %d %d", r.Left, r.Top, r.Width(), r.Height());
  std::fputc('\n', Trace);
}

}  // namespace detonix::x11
