#pragma once

#include <vector>

#include "platform/GraphicsTypes.h"

namespace detonix::x11 {

// With DETONIX_PRESENT_TRACE=FILE in the environment, every present of every window is written to
// FILE as one line: the whole milliseconds since the program started, then x y w h of each
// rectangle sent, all separated by single spaces. `make bench` replays such a trace with
// detonix-present-replay, the least the same animation costs a program that shows it. Without the
// variable a present costs one test more.
void TracePresent(const std::vector<TRect>& rects);

}  // namespace detonix::x11
