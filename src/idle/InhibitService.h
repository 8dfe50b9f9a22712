#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "idle/SessionBus.h"

namespace detonix::idle {

// org.freedesktop.ScreenSaver on the session bus, for a desktop where no other program offers it
// (a window manager on X11, sway): video players and browsers ask it to keep the saver away
// (Inhibit) until they say otherwise (UnInhibit) or leave the bus. KDE offers it itself; there
// ours waits in the bus's queue for the name, and KDE's service decides.
class TInhibitService {
 public:
  // Offered on BUS (nothing when the bus refuses). ACTIVE tells whether the saver plays (GetActive).
  static std::unique_ptr<TInhibitService> Offer(TSessionBus& bus, std::function<bool()> active);
  ~TInhibitService();
  TInhibitService(const TInhibitService&) = delete;
  TInhibitService& operator=(const TInhibitService&) = delete;

  bool Inhibited() const { return !FInhibits.empty(); }
  // Another program had the name at the start: ours gets it only once that one lets go.
  bool Queued() const { return FQueued; }
  // True once after the last inhibit has gone (asked off, or its program left the bus).
  bool TakeReleased();

 private:
  struct TInhibit {
    TInhibitService* Service = nullptr;
    uint32_t Cookie = 0;
    sd_bus_track* Track = nullptr;  // the program that asked: when it leaves the bus, so does this
  };

  TInhibitService(TSessionBus& bus, std::function<bool()> active) : FBus(bus.Get()), FActive(std::move(active)) {}
  void Drop(uint32_t cookie);
  static int OnInhibit(sd_bus_message* m, void* data, sd_bus_error* error);
  static int OnUnInhibit(sd_bus_message* m, void* data, sd_bus_error* error);
  static int OnGetActive(sd_bus_message* m, void* data, sd_bus_error* error);
  static int OnCallerGone(sd_bus_track* track, void* data);
  static int OnNameLost(sd_bus_message* m, void* data, sd_bus_error* error);

  sd_bus* FBus;
  std::function<bool()> FActive;
  TSlot FObjects[2];
  TSlot FLost;
  std::map<uint32_t, std::unique_ptr<TInhibit>> FInhibits;
  uint32_t FNextCookie = 1;
  bool FReleased = false;
  bool FQueued = false;
};

}  // namespace detonix::idle
