#pragma once

#include <memory>
#include <string>

#include "idle/IdleSource.h"

namespace detonix::idle {

// X11's idle: the server's IDLETIME counter (XSync), the milliseconds since the last input of any
// device, and alarms the server sends when it crosses a value. A program that calls
// XResetScreenSaver (video players do, every few seconds) resets it as input does.
// On the display $DISPLAY names; nothing, with WHY said, where there is none or it lacks the counter.
std::unique_ptr<TIdleSource> OpenXSyncIdle(TIdleTimes times, std::string& why);

}  // namespace detonix::idle
