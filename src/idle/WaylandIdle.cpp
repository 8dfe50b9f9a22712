#include "idle/WaylandIdle.h"

#include <wayland-client.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

namespace detonix::idle {

namespace {

template <typename T, void (*Destroy)(T*)>
struct TDestroy {
  void operator()(T* object) const { Destroy(object); }
};
// A Wayland object, let go of with its own request when this goes.
template <typename T, void (*Destroy)(T*)>
using TWl = std::unique_ptr<T, TDestroy<T, Destroy>>;

class TWaylandIdle;

// One timeout of the compositor's: its idle says EVENT; its resume, input again (the saver's only:
// one report of the input is enough).
struct TNotice {
  TWaylandIdle* Owner = nullptr;
  TIdleEvent Event = TIdleEvent::ieIdle;
  TWl<ext_idle_notification_v1, ext_idle_notification_v1_destroy> Ext;
  TWl<org_kde_kwin_idle_timeout, org_kde_kwin_idle_timeout_release> Kde;
};

class TWaylandIdle final : public TIdleSource {
 public:
  explicit TWaylandIdle(wl_display* display) : FDisplay(display) {}
  ~TWaylandIdle() override {
    if (FReading) wl_display_cancel_read(FDisplay.get());
  }
  TWaylandIdle(const TWaylandIdle&) = delete;
  TWaylandIdle& operator=(const TWaylandIdle&) = delete;

  // The globals, and the timeouts made; false, with WHY, when the compositor offers no idle.
  bool Start(TIdleTimes times, std::string& why) {
    FRegistry.reset(wl_display_get_registry(FDisplay.get()));
    wl_registry_add_listener(FRegistry.get(), &RegistryListener, this);
    if (wl_display_roundtrip(FDisplay.get()) < 0) {
      why = Gone();
      return false;
    }
    if (!FSeat || (!FExt && !FKde)) {
      why = !FSeat ? "the Wayland compositor has no seat"
                   : "the Wayland compositor offers neither ext-idle-notify-v1 nor org_kde_kwin_idle";
      return false;
    }
    FTimes = times;
    Make();
    return true;
  }

  std::string Name() const override {
    return std::string("Wayland (") + (FExt ? "ext-idle-notify-v1" : "org_kde_kwin_idle") + ") on " + DisplayName();
  }
  int Fd() const override { return wl_display_get_fd(FDisplay.get()); }
  std::string Gone() const override {
    const int error = wl_display_get_error(FDisplay.get());
    return "lost the connection to the Wayland compositor " + DisplayName() +
           (error ? std::string(" (") + std::strerror(error) + ")" : "");
  }

  bool BeforeWait(const TOnIdleEvent& on) override {
    while (wl_display_prepare_read(FDisplay.get()) != 0)
      if (wl_display_dispatch_pending(FDisplay.get()) < 0) return false;
    FReading = true;
    Deliver(on);
    if (wl_display_flush(FDisplay.get()) < 0 && errno != EAGAIN) return false;
    return true;
  }

  bool AfterWait(bool readable, const TOnIdleEvent& on) override {
    if (FReading) {
      FReading = false;
      if (!readable) wl_display_cancel_read(FDisplay.get());
      else if (wl_display_read_events(FDisplay.get()) < 0) return false;
    }
    if (wl_display_dispatch_pending(FDisplay.get()) < 0) return false;
    Deliver(on);
    return true;
  }

  void Restart() override {
    if (FKde) {
      for (TNotice& notice : FNotices) org_kde_kwin_idle_timeout_simulate_user_activity(notice.Kde.get());
    } else {
      Make();  // a new notification counts from its making
    }
  }

  void Queue(TIdleEvent event) { FQueue.push_back(event); }

 private:
  static std::string DisplayName() { return std::getenv("WAYLAND_DISPLAY"); }

  void Make() {
    FNotices.clear();
    FNotices.reserve(2);  // the listeners hold their addresses
    FNotices.push_back({this, TIdleEvent::ieIdle, {}, {}});
    if (FTimes.LockMs) FNotices.push_back({this, TIdleEvent::ieLock, {}, {}});
    for (TNotice& notice : FNotices) {
      const uint32_t ms = notice.Event == TIdleEvent::ieIdle ? FTimes.IdleMs : FTimes.LockMs;
      if (FExt) {
        notice.Ext.reset(ext_idle_notifier_v1_get_idle_notification(FExt.get(), ms, FSeat.get()));
        ext_idle_notification_v1_add_listener(notice.Ext.get(), &ExtListener, &notice);
      } else {
        notice.Kde.reset(org_kde_kwin_idle_get_idle_timeout(FKde.get(), FSeat.get(), ms));
        org_kde_kwin_idle_timeout_add_listener(notice.Kde.get(), &KdeListener, &notice);
      }
    }
  }

  void Deliver(const TOnIdleEvent& on) {
    std::vector<TIdleEvent> events;
    events.swap(FQueue);
    for (const TIdleEvent event : events) on(event);
  }

  static void Idled(void* data) {
    const TNotice& notice = *static_cast<TNotice*>(data);
    notice.Owner->Queue(notice.Event);
  }
  static void Resumed(void* data) {
    const TNotice& notice = *static_cast<TNotice*>(data);
    if (notice.Event == TIdleEvent::ieIdle) notice.Owner->Queue(TIdleEvent::ieActive);
  }

  template <typename T>
  static T* Bind(wl_registry* registry, uint32_t name, const wl_interface& interface) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, 1));
  }
  static const ext_idle_notification_v1_listener ExtListener;
  static const org_kde_kwin_idle_timeout_listener KdeListener;
  static const wl_registry_listener RegistryListener;

  // Let go of in the reverse order: the timeouts first, the connection last.
  std::unique_ptr<wl_display, TDestroy<wl_display, wl_display_disconnect>> FDisplay;
  TWl<wl_registry, wl_registry_destroy> FRegistry;
  TWl<wl_seat, wl_seat_destroy> FSeat;
  TWl<ext_idle_notifier_v1, ext_idle_notifier_v1_destroy> FExt;
  TWl<org_kde_kwin_idle, org_kde_kwin_idle_destroy> FKde;
  TIdleTimes FTimes;
  std::vector<TNotice> FNotices;
  std::vector<TIdleEvent> FQueue;
  bool FReading = false;  // between prepare_read and read_events or cancel_read
};

const ext_idle_notification_v1_listener TWaylandIdle::ExtListener{
    .idled = [](void* data, ext_idle_notification_v1*) { Idled(data); },
    .resumed = [](void* data, ext_idle_notification_v1*) { Resumed(data); },
};
const org_kde_kwin_idle_timeout_listener TWaylandIdle::KdeListener{
    .idle = [](void* data, org_kde_kwin_idle_timeout*) { Idled(data); },
    .resumed = [](void* data, org_kde_kwin_idle_timeout*) { Resumed(data); },
};

const wl_registry_listener TWaylandIdle::RegistryListener{
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
          TWaylandIdle& c = *static_cast<TWaylandIdle*>(data);
          const std::string_view is(interface);
          // The first seat: idle is the seat's, and a desktop has one.
          if (is == wl_seat_interface.name && !c.FSeat)
            c.FSeat.reset(Bind<wl_seat>(registry, name, wl_seat_interface));
          else if (is == ext_idle_notifier_v1_interface.name)
            c.FExt.reset(Bind<ext_idle_notifier_v1>(registry, name, ext_idle_notifier_v1_interface));
          else if (is == org_kde_kwin_idle_interface.name)
            c.FKde.reset(Bind<org_kde_kwin_idle>(registry, name, org_kde_kwin_idle_interface));
        },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

}  // namespace

std::unique_ptr<TIdleSource> OpenWaylandIdle(TIdleTimes times, std::string& why) {
  // Not the default wayland-0: outside a Wayland session that may be a nested compositor.
  if (std::getenv("WAYLAND_DISPLAY") == nullptr || !*std::getenv("WAYLAND_DISPLAY")) {
    why = "WAYLAND_DISPLAY is not set";
    return nullptr;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    why = std::string("no Wayland compositor answers at ") + std::getenv("WAYLAND_DISPLAY");
    return nullptr;
  }
  auto source = std::make_unique<TWaylandIdle>(display);
  if (!source->Start(times, why)) return nullptr;
  return source;
}

}  // namespace detonix::idle
