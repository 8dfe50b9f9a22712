// detonix-wayland-replay: the least an animation of detonix's costs a Wayland client that shows it.
//   detonix-wayland-replay TRACE
// TRACE is what detonix wrote with DETONIX_PRESENT_TRACE=TRACE: a line for each present, the
// milliseconds since its start and x y w h of each rectangle it sent, in the window's pixels. This
// program opens a full-screen xdg-shell toplevel painted at the output's scale (set_buffer_scale, so
// its pixels are the output's) with two wl_shm buffers in one memfd. At each recorded time counted
// from its own start it takes a buffer the compositor has released, brings it up to date by copying
// from the other one the rectangles presented since it was last shown, damages exactly the recorded
// rectangles (damage_buffer) and commits, sleeping in poll on the connection in between: no drawing,
// no game, nothing else. After the last present it sleeps until SIGTERM or SIGINT (or until the
// compositor closes the window), then prints
//   presents SENT of TRACED (RECTANGLES rectangles), LATE late by more than 5 ms
// and ends with status 0. Status 1 when the trace is malformed or does not fit the window, or the
// compositor lacks what this needs, refused a request or went away.
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "PresentTraceFile.h"

#include "xdg-shell-client-protocol.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr auto Late = std::chrono::milliseconds(5);
// Beyond this many rectangles to bring a buffer up to date with, it takes the whole picture: a
// buffer the compositor keeps letting go of at once would otherwise gather every cell of the board.
constexpr size_t MaxStale = 64;



// A Wayland object, let go of with its own request (or the display disconnected) when this goes.
template <typename T, void (*Destroy)(T*)>
struct TDestroy {
  void operator()(T* object) const { Destroy(object); }
};
template <typename T, void (*Destroy)(T*)>
using TWl = std::unique_ptr<T, TDestroy<T, Destroy>>;

struct TOutput {
  TWl<wl_output, wl_output_destroy> Output;
  int32_t Scale = 1;
  int32_t Width = 0;  // of the current mode, in pixels
  int32_t Height = 0;
};

// Memory mapped from a file, unmapped when this goes.
class TMapping {
 public:
  TMapping() = default;
  TMapping(int fd, size_t size) : FSize(size) {
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory != MAP_FAILED) FData = static_cast<uint8_t*>(memory);
  }
  ~TMapping() {
    if (FData) munmap(FData, FSize);
  }
  TMapping(const TMapping&) = delete;
  TMapping& operator=(const TMapping&) = delete;
  TMapping& operator=(TMapping&& other) noexcept {
    std::swap(FData, other.FData);
    std::swap(FSize, other.FSize);
    return *this;
  }

  uint8_t* Data() const { return FData; }

 private:
  uint8_t* FData = nullptr;
  size_t FSize = 0;
};

struct TBuffer {
  TWl<wl_buffer, wl_buffer_destroy> Buffer;
  uint8_t* Pixels = nullptr;
  bool Busy = false;  // attached and not yet released by the compositor
  // Where this buffer's pixels are older than the last buffer shown.
  std::vector<TRectangle> Stale;
};

// Everything this client has of the compositor, let go of in the reverse order: the buffers first,
// the connection last.
struct TClient {
  std::unique_ptr<wl_display, TDestroy<wl_display, wl_display_disconnect>> Display;
  TWl<wl_registry, wl_registry_destroy> Registry;
  TWl<wl_compositor, wl_compositor_destroy> Compositor;
  TWl<wl_shm, wl_shm_destroy> Shm;
  TWl<xdg_wm_base, xdg_wm_base_destroy> WmBase;
  std::vector<std::unique_ptr<TOutput>> Outputs;
  TWl<wl_surface, wl_surface_destroy> Surface;
  TWl<xdg_surface, xdg_surface_destroy> XdgSurface;
  TWl<xdg_toplevel, xdg_toplevel_destroy> Toplevel;
  bool Configured = false;
  bool Closed = false;
  int32_t Width = 0;  // the toplevel's, in the compositor's units (the output's pixels over its scale)
  int32_t Height = 0;
  TMapping Memory;
  TBuffer Buffers[2];
};

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t version) {
  return static_cast<T*>(wl_registry_bind(registry, name, &interface, version));
}

const wl_output_listener OutputListener{
    .geometry = [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                   int32_t) {},
    .mode =
        [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
          if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
          static_cast<TOutput*>(data)->Width = width;
          static_cast<TOutput*>(data)->Height = height;
        },
    .done = [](void*, wl_output*) {},
    .scale = [](void* data, wl_output*, int32_t factor) { static_cast<TOutput*>(data)->Scale = factor; },
    .name = [](void*, wl_output*, const char*) {},
    .description = [](void*, wl_output*, const char*) {},
};

const wl_registry_listener RegistryListener{
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
          TClient& c = *static_cast<TClient*>(data);
          const std::string_view is(interface);
          // damage_buffer and set_buffer_scale came with version 4 of the compositor.
          if (is == wl_compositor_interface.name && version >= 4)
            c.Compositor.reset(Bind<wl_compositor>(registry, name, wl_compositor_interface, 4));
          else if (is == wl_shm_interface.name)
            c.Shm.reset(Bind<wl_shm>(registry, name, wl_shm_interface, 1));
          else if (is == xdg_wm_base_interface.name)
            c.WmBase.reset(Bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, 1));
          else if (is == wl_output_interface.name && version >= 2) {
            auto output = std::make_unique<TOutput>();
            output->Output.reset(Bind<wl_output>(registry, name, wl_output_interface, 2));
            wl_output_add_listener(output->Output.get(), &OutputListener, output.get());
            c.Outputs.push_back(std::move(output));
          }
        },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

const xdg_wm_base_listener WmBaseListener{
    .ping = [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

const xdg_surface_listener XdgSurfaceListener{
    .configure =
        [](void* data, xdg_surface* surface, uint32_t serial) {
          xdg_surface_ack_configure(surface, serial);
          static_cast<TClient*>(data)->Configured = true;
        },
};

const xdg_toplevel_listener ToplevelListener{
    .configure =
        [](void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
          TClient& c = *static_cast<TClient*>(data);
          c.Width = width;
          c.Height = height;
        },
    .close = [](void* data, xdg_toplevel*) { static_cast<TClient*>(data)->Closed = true; },
    .configure_bounds = [](void*, xdg_toplevel*, int32_t, int32_t) {},
    .wm_capabilities = [](void*, xdg_toplevel*, wl_array*) {},
};

const wl_buffer_listener BufferListener{
    .release = [](void* data, wl_buffer*) { static_cast<TBuffer*>(data)->Busy = false; },
};

timespec Until(TClock::time_point when) {
  const auto left = std::max(when - TClock::now(), TClock::duration::zero());
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
  return {static_cast<time_t>(seconds.count()),
          static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count())};
}

// Handles what the compositor sent; when nothing was waiting, first sleeps until something comes, a
// signal arrives or TIMEOUT (none: no limit) has passed. False when the connection failed.
bool Wait(wl_display* display, const timespec* timeout, const sigset_t* sleeping) {
  if (wl_display_prepare_read(display) != 0) return wl_display_dispatch_pending(display) >= 0;
  if (wl_display_flush(display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display);
    return false;
  }
  pollfd connection{wl_display_get_fd(display), POLLIN, 0};
  if (ppoll(&connection, 1, timeout, sleeping) > 0) {
    if (wl_display_read_events(display) < 0) return false;
  } else {
    wl_display_cancel_read(display);
  }
  return wl_display_dispatch_pending(display) >= 0;
}

// The buffers, both of the window's size in pixels, in one memfd shared with the compositor.
bool MakeBuffers(TClient& c, int width, int height) {
  const int stride = width * 4;
  const size_t one = static_cast<size_t>(stride) * static_cast<size_t>(height);
  const int fd = memfd_create("detonix-wayland-replay", MFD_CLOEXEC);
  if (fd < 0) return false;
  bool made = ftruncate(fd, static_cast<off_t>(2 * one)) == 0;
  if (made) c.Memory = TMapping(fd, 2 * one);
  made = made && c.Memory.Data();
  if (made) {
    std::memset(c.Memory.Data(), 0x40, 2 * one);  // a dark grey, so that a look at the screen shows it at work
    wl_shm_pool* pool = wl_shm_create_pool(c.Shm.get(), fd, static_cast<int32_t>(2 * one));
    for (int i = 0; i < 2; ++i) {
      TBuffer& b = c.Buffers[i];
      b.Buffer.reset(wl_shm_pool_create_buffer(pool, static_cast<int32_t>(static_cast<size_t>(i) * one), width,
                                               height, stride, WL_SHM_FORMAT_XRGB8888));
      b.Pixels = c.Memory.Data() + static_cast<size_t>(i) * one;
      wl_buffer_add_listener(b.Buffer.get(), &BufferListener, &b);
    }
    wl_shm_pool_destroy(pool);  // the buffers keep the memory
  }
  close(fd);
  return made;
}

void Copy(const TRectangle& r, const uint8_t* from, uint8_t* to, int stride) {
  for (int y = r.Y; y < r.Y + r.H; ++y) {
    const size_t at = static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(r.X) * 4;
    std::memcpy(to + at, from + at, static_cast<size_t>(r.W) * 4);
  }
}

// Shows RECTS: a released buffer, brought up to date from the other one, with only RECTS damaged.
// False when the compositor still holds both.
bool Present(TClient& c, const std::vector<TRectangle>& rects, int width, int height) {
  TBuffer* b = nullptr;
  for (TBuffer& candidate : c.Buffers)
    if (!candidate.Busy && (!b || candidate.Stale.size() < b->Stale.size())) b = &candidate;
  if (!b) return false;
  TBuffer& other = b == &c.Buffers[0] ? c.Buffers[1] : c.Buffers[0];
  for (const TRectangle& r : b->Stale) Copy(r, other.Pixels, b->Pixels, width * 4);
  b->Stale.clear();
  for (const TRectangle& r : rects) {
    if (std::find(other.Stale.begin(), other.Stale.end(), r) == other.Stale.end()) other.Stale.push_back(r);
    if (other.Stale.size() > MaxStale) other.Stale.assign(1, TRectangle{0, 0, width, height});
  }
  wl_surface* surface = c.Surface.get();
  wl_surface_attach(surface, b->Buffer.get(), 0, 0);
  for (const TRectangle& r : rects) wl_surface_damage_buffer(surface, r.X, r.Y, r.W, r.H);
  wl_surface_commit(surface);
  b->Busy = true;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // The trace's times count from detonix's start; these from this program's.
  const auto start = TClock::now();
  if (argc != 2) {
    std::fprintf(stderr, "usage: detonix-wayland-replay TRACE\n");
    return 2;
  }
  const sigset_t sleeping = EndOnSignals();

  const auto failed = [](const char* why) {
    std::fprintf(stderr, "detonix-wayland-replay: %s\n", why);
    return 1;
  };
  TClient c;
  c.Display.reset(wl_display_connect(nullptr));
  if (!c.Display) return failed("cannot connect to the Wayland compositor (WAYLAND_DISPLAY)");
  wl_display* d = c.Display.get();
  c.Registry.reset(wl_display_get_registry(d));
  wl_registry_add_listener(c.Registry.get(), &RegistryListener, &c);
  // The globals, then what the outputs say of themselves.
  if (wl_display_roundtrip(d) < 0 || wl_display_roundtrip(d) < 0) return failed("the compositor went away");
  if (!c.Compositor || !c.Shm || !c.WmBase)
    return failed("the compositor offers no wl_compositor of version 4, wl_shm or xdg_wm_base");
  xdg_wm_base_add_listener(c.WmBase.get(), &WmBaseListener, &c);
  // Painted at the output's scale (the largest of them, should there be several: a full-screen
  // window's output is not known before it is shown).
  const TOutput* output = nullptr;
  for (const auto& o : c.Outputs)
    if (!output || o->Scale > output->Scale) output = o.get();
  const int32_t scale = output ? std::max(output->Scale, 1) : 1;

  c.Surface.reset(wl_compositor_create_surface(c.Compositor.get()));
  wl_surface_set_buffer_scale(c.Surface.get(), scale);
  c.XdgSurface.reset(xdg_wm_base_get_xdg_surface(c.WmBase.get(), c.Surface.get()));
  xdg_surface_add_listener(c.XdgSurface.get(), &XdgSurfaceListener, &c);
  c.Toplevel.reset(xdg_surface_get_toplevel(c.XdgSurface.get()));
  xdg_toplevel_add_listener(c.Toplevel.get(), &ToplevelListener, &c);
  xdg_toplevel_set_app_id(c.Toplevel.get(), "detonix-wayland-replay");
  xdg_toplevel_set_title(c.Toplevel.get(), "detonix-wayland-replay");
  xdg_toplevel_set_fullscreen(c.Toplevel.get(), nullptr);
  wl_surface_commit(c.Surface.get());
  while (!c.Configured && !Ended && !c.Closed)
    if (!Wait(d, nullptr, &sleeping)) return failed("the compositor went away before it showed the window");
  if (!c.Configured) return 0;
  // A compositor that leaves the size to the client gets the output's.
  int width = c.Width * scale;
  int height = c.Height * scale;
  if (width <= 0 || height <= 0) {
    width = output ? output->Width : 0;
    height = output ? output->Height : 0;
  }
  if (width <= 0 || height <= 0) return failed("neither the compositor nor an output gives the window a size");

  std::vector<TPresent> presents;
  std::string why;
  if (!ReadTrace(argv[1], width, height, presents, why)) return failed(why.c_str());
  if (!MakeBuffers(c, width, height)) return failed("no shared memory for the window's pixels");

  size_t sent = 0;
  size_t rectangles = 0;
  size_t late = 0;
  bool connected = true;
  while (!Ended && !c.Closed && connected) {
    const auto now = TClock::now();
    if (sent < presents.size() && now >= start + presents[sent].At) {
      const TPresent& p = presents[sent];
      if (Present(c, p.Rects, width, height)) {
        if (now > start + p.At + Late) ++late;
        ++sent;
        rectangles += p.Rects.size();
        wl_display_flush(d);
        continue;
      }
      // The compositor holds both buffers: the present waits for one.
      connected = Wait(d, nullptr, &sleeping);
      continue;
    }
    timespec timeout{};
    if (sent < presents.size()) timeout = Until(start + presents[sent].At);
    connected = Wait(d, sent < presents.size() ? &timeout : nullptr, &sleeping);
  }
  if (connected) wl_display_roundtrip(d);  // the compositor's answer to the last commit, errors included
  std::printf("presents %zu of %zu (%zu rectangles), %zu late by more than %lld ms\n", sent, presents.size(),
              rectangles, late, static_cast<long long>(Late.count()));
  if (const int error = wl_display_get_error(d)) {
    std::fprintf(stderr, "detonix-wayland-replay: the compositor refused a request or went away (%s)\n",
                 std::strerror(error));
    return 1;
  }
  return 0;
}
