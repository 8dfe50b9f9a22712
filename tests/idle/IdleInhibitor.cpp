// detonix-idle-inhibitor wayland|dbus|gnome: keeps the desktop awake as a video player does, until
// it is ended: on Wayland with an idle inhibitor on a small window of its own (the compositor honours
// one while the window shows), with org.freedesktop.ScreenSaver's Inhibit on the session bus, held
// for as long as this process is on the bus, or as GNOME's session manager with its idle inhibit
// flag set, cleared at SIGTERM. Prints "inhibiting" once it holds; status 1 when it cannot.
#include <poll.h>
#include <sys/mman.h>
#include <sys/signalfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

int Fail(const char* why) {
  std::fprintf(stderr, "detonix-idle-inhibitor: %s\n", why);
  return 1;
}

int HoldOnTheBus() {
  sd_bus* bus = nullptr;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  if (sd_bus_open_user(&bus) < 0 ||
      sd_bus_call_method(bus, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                         "org.freedesktop.ScreenSaver", "Inhibit", &error, nullptr, "ss", "test", "a video") < 0)
    return Fail(error.message ? error.message : "no session bus");
  std::puts("inhibiting");
  std::fflush(stdout);
  pause();  // until a signal ends the process, and with it the inhibit
  return 0;
}

// What GNOME's compositor reads of its session manager: InhibitedActions, 8 the idle flag.
int HoldAsGnomeSession() {
  static uint32_t actions = 8;
  static const sd_bus_vtable Vtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_PROPERTY("InhibitedActions", "u", nullptr, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
      SD_BUS_VTABLE_END,
  };
  constexpr const char* Path = "/org/gnome/SessionManager";
  constexpr const char* Name = "org.gnome.SessionManager";
  sigset_t term;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  sigprocmask(SIG_BLOCK, &term, nullptr);
  const int signals = signalfd(-1, &term, SFD_CLOEXEC);
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0 || sd_bus_add_object_vtable(bus, nullptr, Path, Name, Vtable, &actions) < 0 ||
      sd_bus_request_name(bus, Name, 0) < 0)
    return Fail("cannot be GNOME's session manager on the session bus");
  std::puts("inhibiting");
  std::fflush(stdout);
  for (pollfd fds[2] = {{sd_bus_get_fd(bus), POLLIN, 0}, {signals, POLLIN, 0}}; !fds[1].revents;) {
    while (sd_bus_process(bus, nullptr) > 0) {
    }
    fds[0].events = static_cast<short>(sd_bus_get_events(bus));
    poll(fds, 2, -1);
  }
  actions = 0;
  sd_bus_emit_properties_changed(bus, Path, Name, "InhibitedActions", nullptr);
  sd_bus_flush(bus);
  return 0;
}

struct TGlobals {
  wl_compositor* Compositor = nullptr;
  wl_shm* Shm = nullptr;
  xdg_wm_base* WmBase = nullptr;
  zwp_idle_inhibit_manager_v1* Inhibits = nullptr;
  bool Configured = false;
};

const xdg_wm_base_listener WmBaseListener{
    .ping = [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); },
};
const xdg_surface_listener XdgSurfaceListener{
    .configure =
        [](void* data, xdg_surface* surface, uint32_t serial) {
          xdg_surface_ack_configure(surface, serial);
          static_cast<TGlobals*>(data)->Configured = true;
        },
};
const wl_registry_listener RegistryListener{
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
          TGlobals& g = *static_cast<TGlobals*>(data);
          const std::string_view is(interface);
          auto bind = [&](const wl_interface& i, uint32_t v) { return wl_registry_bind(registry, name, &i, v); };
          if (is == wl_compositor_interface.name) g.Compositor = static_cast<wl_compositor*>(bind(wl_compositor_interface, 1));
          if (is == wl_shm_interface.name) g.Shm = static_cast<wl_shm*>(bind(wl_shm_interface, 1));
          if (is == xdg_wm_base_interface.name) g.WmBase = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface, 1));
          if (is == zwp_idle_inhibit_manager_v1_interface.name)
            g.Inhibits = static_cast<zwp_idle_inhibit_manager_v1*>(bind(zwp_idle_inhibit_manager_v1_interface, 1));
        },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

int HoldOnWayland() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return Fail("no Wayland compositor");
  TGlobals g;
  wl_registry_add_listener(wl_display_get_registry(display), &RegistryListener, &g);
  wl_display_roundtrip(display);
  if (!g.Compositor || !g.Shm || !g.WmBase || !g.Inhibits) return Fail("the compositor lacks a global this needs");
  xdg_wm_base_add_listener(g.WmBase, &WmBaseListener, nullptr);
  wl_surface* surface = wl_compositor_create_surface(g.Compositor);
  xdg_surface* xdgSurface = xdg_wm_base_get_xdg_surface(g.WmBase, surface);
  xdg_surface_add_listener(xdgSurface, &XdgSurfaceListener, &g);
  xdg_toplevel_set_app_id(xdg_surface_get_toplevel(xdgSurface), "detonix-idle-inhibitor");
  wl_surface_commit(surface);
  while (!g.Configured && wl_display_dispatch(display) >= 0) {
  }
  // A grey square: the compositor honours an inhibitor only while its window shows.
  constexpr int Side = 64;
  const int fd = memfd_create("detonix-idle-inhibitor", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, Side * Side * 4) != 0) return Fail("no shared memory");
  void* pixels = mmap(nullptr, Side * Side * 4, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) return Fail("no shared memory");
  std::memset(pixels, 0x80, Side * Side * 4);
  wl_shm_pool* pool = wl_shm_create_pool(g.Shm, fd, Side * Side * 4);
  wl_surface_attach(surface, wl_shm_pool_create_buffer(pool, 0, Side, Side, Side * 4, WL_SHM_FORMAT_XRGB8888), 0, 0);
  zwp_idle_inhibit_manager_v1_create_inhibitor(g.Inhibits, surface);
  wl_surface_commit(surface);
  if (wl_display_roundtrip(display) < 0) return Fail("the compositor refused the window");
  std::puts("inhibiting");
  std::fflush(stdout);
  while (wl_display_dispatch(display) >= 0) {
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "dbus") == 0) return HoldOnTheBus();
  if (argc == 2 && std::strcmp(argv[1], "wayland") == 0) return HoldOnWayland();
  if (argc == 2 && std::strcmp(argv[1], "gnome") == 0) return HoldAsGnomeSession();
  std::fputs("usage: detonix-idle-inhibitor wayland|dbus|gnome\n", stderr);
  return 2;
}
