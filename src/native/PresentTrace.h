#pragma once

#include <functional>
#include <vector>

#include "platform/GraphicsTypes.h"

namespace detonix::native {

// With DETONIX_PRESENT_TRACE=FILE in the environment, a run writes every present of every window
// to FILE as one line: the whole milliseconds since the run started, then x y w h of each
// rectangle sent, all separated by single spaces. `make bench` replays such a trace, the least the
// same animation costs a program that shows it. Opened when a run starts, never for a command
// that plays no game; it will not follow a link nor replace a file that is not a trace, it stops
// at MaxTraceBytes, and says once why it stopped. Without the variable: nothing (an empty function).
constexpr long long MaxTraceBytes = 64LL << 20;
std::function<void(const std::vector<TRect>&)> OpenPresentTrace();

}  // namespace detonix::native
