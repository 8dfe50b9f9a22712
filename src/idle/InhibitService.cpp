#include "idle/InhibitService.h"

#include <string_view>

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
  // Queued behind a program that has the name already, and giving way to one that asks to replace
  // it: a desktop's own service wins. One that ends hands it on, as a watcher just ended does.
  sd_bus_slot* lost = nullptr;
  if (sd_bus_match_signal(bus.Get(), &lost, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameLost", OnNameLost, service.get()) < 0)
    return nullptr;
  service->FLost.reset(lost);
  const int r = sd_bus_request_name(bus.Get(), Name, SD_BUS_NAME_QUEUE | SD_BUS_NAME_ALLOW_REPLACEMENT);
  if (r < 0) return nullptr;
  service->FQueued = r == 0;
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

// Another program took the name: the inhibits it was asked for go to that one now.
int TInhibitService::OnNameLost(sd_bus_message* m, void* data, sd_bus_error*) {
  TInhibitService& self = *static_cast<TInhibitService*>(data);
  const char* name = nullptr;
  if (sd_bus_message_read(m, "s", &name) < 0 || std::string_view(name) != Name) return 0;
  while (!self.FInhibits.empty()) self.Drop(self.FInhibits.begin()->first);
  return 0;
}

// sd-bus holds the track while this runs, so dropping it here is safe; 1: not to be called again.
int TInhibitService::OnCallerGone(sd_bus_track*, void* data) {
  const TInhibit& inhibit = *static_cast<TInhibit*>(data);
  inhibit.Service->Drop(inhibit.Cookie);
  return 1;
}

}  // namespace detonix::idle
