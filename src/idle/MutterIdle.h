#pragma once

#include <memory>
#include <string>

#include "idle/IdleSource.h"
#include "idle/SessionBus.h"

namespace detonix::idle {

// GNOME's idle: its compositor's org.gnome.Mutter.IdleMonitor on the session bus, with a watch at
// each time and one for the input after it. GNOME's compositor honours the session manager's idle
// inhibit flag itself: its watches do not fire while a program holds it (a video player, through
// org.freedesktop.ScreenSaver or org.gnome.SessionManager), and count anew when it goes.
// Nothing, with WHY said, where no such compositor is on BUS.
std::unique_ptr<TIdleSource> OpenMutterIdle(TSessionBus& bus, TIdleTimes times, std::string& why);

}  // namespace detonix::idle
