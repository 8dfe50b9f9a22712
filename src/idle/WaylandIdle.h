#pragma once

#include <memory>
#include <string>

#include "idle/IdleSource.h"

namespace detonix::idle {

// A Wayland compositor's idle, on a connection of its own: ext-idle-notify-v1 where it is offered,
// else KDE's org_kde_kwin_idle (wlroots compositors such as sway 1.7 offer only that). Both leave
// out the time an idle inhibitor holds (a video player's): the compositor sends nothing then.
// Nothing, with WHY said, where no compositor answers or it offers neither.
std::unique_ptr<TIdleSource> OpenWaylandIdle(TIdleTimes times, std::string& why);

}  // namespace detonix::idle
