#include "idle/MutterIdle.h"

#include <vector>

namespace detonix::idle {

namespace {

constexpr const char* Monitor = "org.gnome.Mutter.IdleMonitor";
constexpr const char* MonitorPath = "/org/gnome/Mutter/IdleMonitor/Core";

// A call's error and reply, let go of when this goes.
struct TCall {
  sd_bus_error Error = SD_BUS_ERROR_NULL;
  sd_bus_message* Reply = nullptr;
  TCall() = default;
  TCall(const TCall&) = delete;
  TCall& operator=(const TCall&) = delete;
  ~TCall() {
    sd_bus_error_free(&Error);
    sd_bus_message_unref(Reply);
  }
};

class TMutterIdle final : public TIdleSource {
 public:
  TMutterIdle(TSessionBus& bus, TIdleTimes times) : FBus(bus.Get()), FTimes(times) {}
  ~TMutterIdle() override {
    if (FOwnerGone) return;
    for (const uint32_t id : {FIdleId, FLockId, FInputId}) RemoveWatch(id);
  }
  TMutterIdle(const TMutterIdle&) = delete;
  TMutterIdle& operator=(const TMutterIdle&) = delete;

  bool Start(std::string& why) {
    TCall call;
    if (sd_bus_call_method(FBus, Monitor, MonitorPath, Monitor, "GetIdletime", &call.Error, &call.Reply, "") < 0) {
      why = std::string("no GNOME idle monitor on the session bus (") +
            (call.Error.message ? call.Error.message : "no answer") + ")";
      return false;
    }
    sd_bus_slot* fired = nullptr;
    sd_bus_slot* owner = nullptr;
    const bool matched =
        sd_bus_match_signal(FBus, &fired, Monitor, MonitorPath, Monitor, "WatchFired", OnFired, this) >= 0 &&
        sd_bus_add_match(FBus, &owner,
                         "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                         "member='NameOwnerChanged',arg0='org.gnome.Mutter.IdleMonitor'",
                         OnOwnerChanged, this) >= 0;
    FFired.reset(fired);
    FOwner.reset(owner);
    if (!matched) {
      why = "cannot watch GNOME's idle monitor on the session bus";
      return false;
    }
    Restart();
    return true;
  }

  std::string Name() const override { return "GNOME (org.gnome.Mutter.IdleMonitor on the session bus)"; }
  int Fd() const override { return -1; }
  std::string Gone() const override { return "GNOME's compositor left the session bus"; }

  bool BeforeWait(const TOnIdleEvent& on) override { return AfterWait(false, on); }

  bool AfterWait(bool, const TOnIdleEvent& on) override {
    std::vector<TIdleEvent> events;
    events.swap(FQueue);
    for (const TIdleEvent event : events) {
      if (FOwnerGone) break;
      // A watch for input is good for one report; the compositor forgets it then.
      if (event == TIdleEvent::ieIdle && !FInputId) FInputId = Add("AddUserActiveWatch", nullptr);
      if (event == TIdleEvent::ieActive && FAt) Arm(0);
      on(event);
    }
    return !FOwnerGone;
  }

  void Restart() override {
    TCall call;
    uint64_t now = 0;
    if (sd_bus_call_method(FBus, Monitor, MonitorPath, Monitor, "GetIdletime", &call.Error, &call.Reply, "") < 0 ||
        sd_bus_message_read(call.Reply, "t", &now) < 0)
      return;
    Arm(now);
    if (!FInputId) FInputId = Add("AddUserActiveWatch", nullptr);
  }

 private:
  // The idle and lock watches at their times counted from AT milliseconds of idle.
  void Arm(uint64_t at) {
    FAt = at;
    RemoveWatch(FIdleId);
    RemoveWatch(FLockId);
    const uint64_t idle = at + FTimes.IdleMs;
    const uint64_t lock = at + FTimes.LockMs;
    FIdleId = Add("AddIdleWatch", &idle);
    FLockId = FTimes.LockMs ? Add("AddIdleWatch", &lock) : 0;
  }

  // A new watch (an idle one after *MS, else one for input): its id, 0 when refused.
  uint32_t Add(const char* member, const uint64_t* ms) {
    TCall call;
    uint32_t id = 0;
    const int r = ms ? sd_bus_call_method(FBus, Monitor, MonitorPath, Monitor, member, &call.Error, &call.Reply, "t", *ms)
                     : sd_bus_call_method(FBus, Monitor, MonitorPath, Monitor, member, &call.Error, &call.Reply, "");
    if (r < 0 || sd_bus_message_read(call.Reply, "u", &id) < 0) return 0;
    return id;
  }

  void RemoveWatch(uint32_t id) {
    if (id) sd_bus_call_method(FBus, Monitor, MonitorPath, Monitor, "RemoveWatch", nullptr, nullptr, "u", id);
  }

  static int OnFired(sd_bus_message* m, void* data, sd_bus_error*) {
    TMutterIdle& self = *static_cast<TMutterIdle*>(data);
    uint32_t id = 0;
    if (sd_bus_message_read(m, "u", &id) < 0 || id == 0) return 0;
    if (id == self.FIdleId) {
      self.FQueue.push_back(TIdleEvent::ieIdle);
    } else if (id == self.FLockId) {
      self.FQueue.push_back(TIdleEvent::ieLock);
    } else if (id == self.FInputId) {
      self.FInputId = 0;
      self.FQueue.push_back(TIdleEvent::ieActive);
    }
    return 0;
  }

  static int OnOwnerChanged(sd_bus_message* m, void* data, sd_bus_error*) {
    const char* name = nullptr;
    const char* before = nullptr;
    const char* after = nullptr;
    if (sd_bus_message_read(m, "sss", &name, &before, &after) >= 0 && after && !*after)
      static_cast<TMutterIdle*>(data)->FOwnerGone = true;
    return 0;
  }

  sd_bus* FBus;
  TIdleTimes FTimes;
  TSlot FFired;
  TSlot FOwner;
  uint32_t FIdleId = 0;
  uint32_t FLockId = 0;
  uint32_t FInputId = 0;
  uint64_t FAt = 0;
  bool FOwnerGone = false;
  std::vector<TIdleEvent> FQueue;
};

}  // namespace

std::unique_ptr<TIdleSource> OpenMutterIdle(TSessionBus& bus, TIdleTimes times, std::string& why) {
  auto source = std::make_unique<TMutterIdle>(bus, times);
  if (!source->Start(why)) return nullptr;
  return source;
}

}  // namespace detonix::idle
