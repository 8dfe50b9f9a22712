#include "idle/InhibitService.h"

namespace detonix::idle {

namespace {

constexpr const char* Name = "org.freedesktop.ScreenSaver";

}  // namespace

std::unique_ptr<TInhibitService> TInhibitService::Offer(TSessionBus& bus, std::function<bool()> active) {
  static const sd_bus_vtable Vtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("Inhibit", "ss", "u", OnInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("UnInhibit", "u", "", OnUnInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("GetActive", "", "b", OnGetActive, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_VTABLE_END,
  };
  std::unique_ptr<TInhibitService> service(new TInhibitService(bus, std::move(active)));
  // Both paths are in use: the freedesktop.org one, and KDE's older one that some players call.
  const char* paths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
  for (int i = 0; i < 2; ++i) {
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_object_vtable(bus.Get(), &slot, paths[i], Name, Vtable, service.get()) < 0) return nullptr;
    service->FObjects[i].reset(slot);
  }
  // Without queueing: where the desktop has its own, ours is not wanted.
  if (sd_bus_request_name(bus.Get(), Name, 0) < 0) return nullptr;
  return service;
}

TInhibitService::~TInhibitService() {
  for (auto& [cookie, inhibit] : FInhibits) sd_bus_track_unref(inhibit->Track);
  sd_bus_release_name(FBus, Name);
}

bool TInhibitService::TakeReleased() {
  const bool released = FReleased;
  FReleased = false;
  return released;
}

void TInhibitService::Drop(uint32_t cookie) {
  const auto found = FInhibits.find(cookie);
  if (found == FInhibits.end()) return;
  sd_bus_track_unref(found->second->Track);
  FInhibits.erase(found);
  if (FInhibits.empty()) FReleased = true;
}

int TInhibitService::OnInhibit(sd_bus_message* m, void* data, sd_bus_error*) {
  TInhibitService& self = *static_cast<TInhibitService*>(data);
  const char* application = nullptr;
  const char* reason = nullptr;
  if (const int r = sd_bus_message_read(m, "ss", &application, &reason); r < 0) return r;
  auto inhibit = std::make_unique<TInhibit>();
  inhibit->Service = &self;
  inhibit->Cookie = self.FNextCookie++;
  if (const int r = sd_bus_track_new(self.FBus, &inhibit->Track, OnCallerGone, inhibit.get()); r < 0) return r;
  if (const int r = sd_bus_track_add_sender(inhibit->Track, m); r < 0) {
    sd_bus_track_unref(inhibit->Track);
    return r;
  }
  const uint32_t cookie = inhibit->Cookie;
  self.FInhibits[cookie] = std::move(inhibit);
  return sd_bus_reply_method_return(m, "u", cookie);
}

int TInhibitService::OnUnInhibit(sd_bus_message* m, void* data, sd_bus_error*) {
  uint32_t cookie = 0;
  if (const int r = sd_bus_message_read(m, "u", &cookie); r < 0) return r;
  static_cast<TInhibitService*>(data)->Drop(cookie);
  return sd_bus_reply_method_return(m, "");
}

int TInhibitService::OnGetActive(sd_bus_message* m, void* data, sd_bus_error*) {
  const TInhibitService& self = *static_cast<TInhibitService*>(data);
  return sd_bus_reply_method_return(m, "b", static_cast<int>(self.FActive && self.FActive()));
}

// sd-bus holds the track while this runs, so dropping it here is safe; 1: not to be called again.
int TInhibitService::OnCallerGone(sd_bus_track*, void* data) {
  const TInhibit& inhibit = *static_cast<TInhibit*>(data);
  inhibit.Service->Drop(inhibit.Cookie);
  return 1;
}

}  // namespace detonix::idle
