#include "idle/SessionBus.h"

#include <time.h>

#include <cstring>

namespace detonix::idle {

std::unique_ptr<TSessionBus> TSessionBus::Open(std::string& why) {
  sd_bus* bus = nullptr;
  if (const int r = sd_bus_open_user(&bus); r < 0) {
    why = std::string("no session bus (") + std::strerror(-r) + ")";
    return nullptr;
  }
  return std::unique_ptr<TSessionBus>(new TSessionBus(bus));
}

TSessionBus::~TSessionBus() { sd_bus_flush_close_unref(FBus); }

short TSessionBus::Events() const {
  const int events = sd_bus_get_events(FBus);
  return static_cast<short>(events < 0 ? 0 : events);
}

int TSessionBus::TimeoutMs() const {
  uint64_t at = 0;
  if (sd_bus_get_timeout(FBus, &at) < 0 || at == UINT64_MAX) return -1;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t nowUs = static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
  return at <= nowUs ? 0 : static_cast<int>((at - nowUs + 999) / 1000);
}

bool TSessionBus::Process() {
  int r = 0;
  while ((r = sd_bus_process(FBus, nullptr)) > 0) {
  }
  return r >= 0 && sd_bus_is_open(FBus) > 0;
}

}  // namespace detonix::idle
