#pragma once

#include <systemd/sd-bus.h>

#include <memory>
#include <string>

namespace detonix::idle {

struct TSlotUnref {
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
// A match, an object or a call of ours on the bus, gone with this.
using TSlot = std::unique_ptr<sd_bus_slot, TSlotUnref>;

// The session's bus (sd-bus): GNOME's idle is told there, and programs ask there for the desktop to
// stay awake.
class TSessionBus {
 public:
  // Nothing, with WHY said, where the session has no bus.
  static std::unique_ptr<TSessionBus> Open(std::string& why);
  ~TSessionBus();
  TSessionBus(const TSessionBus&) = delete;
  TSessionBus& operator=(const TSessionBus&) = delete;

  sd_bus* Get() const { return FBus; }
  int Fd() const { return sd_bus_get_fd(FBus); }
  short Events() const;
  // Until the next call of ours times out; -1: none waits.
  int TimeoutMs() const;
  // Handles all that came; false once the bus is gone.
  bool Process();

 private:
  explicit TSessionBus(sd_bus* bus) : FBus(bus) {}
  sd_bus* FBus;
};

}  // namespace detonix::idle
