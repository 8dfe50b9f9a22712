#include "shell/wayland/WaylandShell.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include <xkbcommon/xkbcommon.h>

#include "native/EndWatch.h"
#include "native/ProgramRun.h"
#include "native/SdlSoundOutput.h"
#include "shell/wayland/Libdecor.h"

namespace detonix::wayland {

namespace {

TWaylandShell* Shell(void* data) { return static_cast<TWaylandShell*>(data); }

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t offered, uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

libdecor_interface DecorInterface = {
    .error = [](libdecor*, libdecor_error, const char* message) { std::fprintf(stderr, "detonix: libdecor: %s\n", message); },
    .reserved0 = nullptr, .reserved1 = nullptr, .reserved2 = nullptr, .reserved3 = nullptr, .reserved4 = nullptr,
    .reserved5 = nullptr, .reserved6 = nullptr, .reserved7 = nullptr, .reserved8 = nullptr, .reserved9 = nullptr,
};

}  // namespace

struct TWaylandShell::TSeat {
  explicit TSeat(wl_seat* seat) : Seat(seat) {}
  const TProxy<wl_seat> Seat;  // released last
  TProxy<wl_pointer> Pointer;
  TProxy<wl_keyboard> Keyboard;
};

struct TWaylandShell::TDecorContext {
  explicit TDecorContext(libdecor* context) : Context(context) {}
  ~TDecorContext() { TLibdecor::Get()->Unref(Context); }
  TDecorContext(const TDecorContext&) = delete;
  TDecorContext& operator=(const TDecorContext&) = delete;
  libdecor* const Context;
};

const wl_registry_listener TWaylandShell::RegistryListener = {
    .global = [](void* data, wl_registry* registry, uint32_t name, const char* interface,
                 uint32_t version) { Shell(data)->Global(registry, name, interface, version); },
    .global_remove = [](void* data, wl_registry*, uint32_t name) { Shell(data)->GlobalGone(name); },
};

const wl_output_listener TWaylandShell::OutputListener = {
    .geometry =
        [](void* data, wl_output* output, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*, const char*,
           int32_t) {
          // The logical position, where xdg-output does not tell it.
          TOutput* o = Shell(data)->FGlobals.OutputOf(output);
          if (o && !o->Logical) {
            o->X = x;
            o->Y = y;
          }
        },
    .mode =
        [](void* data, wl_output* output, uint32_t flags, int32_t width, int32_t height, int32_t) {
          TOutput* o = Shell(data)->FGlobals.OutputOf(output);
          if (o && (flags & WL_OUTPUT_MODE_CURRENT)) {
            o->ModeWidth = width;
            o->ModeHeight = height;
          }
        },
    .done =
        [](void* data, wl_output* output) {
          TWaylandShell* shell = Shell(data);
          TOutput* o = shell->FGlobals.OutputOf(output);
          if (!o) return;
          if (!o->Logical) {
            o->Width = o->ModeWidth / o->Scale;
            o->Height = o->ModeHeight / o->Scale;
          }
          for (auto& w : shell->FWindows) w->OutputChanged(o);
          shell->FOutputsChanged = true;
        },
    .scale =
        [](void* data, wl_output* output, int32_t factor) {
          if (TOutput* o = Shell(data)->FGlobals.OutputOf(output)) o->Scale = std::max(factor, 1);
        },
    .name = [](void*, wl_output*, const char*) {},
    .description = [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener TWaylandShell::LogicalListener = {
    .logical_position =
        [](void* data, zxdg_output_v1*, int32_t x, int32_t y) {
          static_cast<TOutput*>(data)->X = x;
          static_cast<TOutput*>(data)->Y = y;
        },
    .logical_size =
        [](void* data, zxdg_output_v1*, int32_t width, int32_t height) {
          static_cast<TOutput*>(data)->Width = width;
          static_cast<TOutput*>(data)->Height = height;
        },
    .done = [](void*, zxdg_output_v1*) {},
    .name = [](void*, zxdg_output_v1*, const char*) {},
    .description = [](void*, zxdg_output_v1*, const char*) {},
};

const xdg_wm_base_listener TWaylandShell::WmBaseListener = {
    .ping = [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

const wl_seat_listener TWaylandShell::SeatListener = {
    .capabilities = [](void* data, wl_seat*, uint32_t capabilities) { Shell(data)->Capabilities(capabilities); },
    .name = [](void*, wl_seat*, const char*) {},
};

const wl_pointer_listener TWaylandShell::PointerListener = {
    .enter =
        [](void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
          TWaylandShell* shell = Shell(data);
          shell->FPointerOn = shell->WindowOf(surface);
          // No image: the saver's pointer is hidden.
          if (shell->FPointerOn && shell->Saver()) wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
          shell->PointerAt(x, y);
        },
    .leave = [](void* data, wl_pointer*, uint32_t, wl_surface*) { Shell(data)->FPointerOn = nullptr; },
    .motion = [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) { Shell(data)->PointerAt(x, y); },
    .button =
        [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
          // Every button, the extra (back and forward) ones too.
          TWaylandShell* shell = Shell(data);
          if (state == WL_POINTER_BUTTON_STATE_PRESSED && shell->FScreens->Count() > 0)
            shell->FScreens->Click(shell->InputIndex(shell->FPointerOn));
        },
    .axis =
        [](void* data, wl_pointer*, uint32_t, uint32_t, wl_fixed_t value) {
          // Either way, either axis: a click as far as the saver is concerned.
          TWaylandShell* shell = Shell(data);
          if (value != 0 && shell->FScreens->Count() > 0) shell->FScreens->Click(shell->InputIndex(shell->FPointerOn));
        },
    .frame = [](void*, wl_pointer*) {},
    .axis_source = [](void*, wl_pointer*, uint32_t) {},
    .axis_stop = [](void*, wl_pointer*, uint32_t, uint32_t) {},
    .axis_discrete = [](void*, wl_pointer*, uint32_t, int32_t) {},
    .axis_value120 = [](void*, wl_pointer*, uint32_t, int32_t) {},
};

const wl_keyboard_listener TWaylandShell::KeyboardListener = {
    .keymap = [](void* data, wl_keyboard*, uint32_t format, int fd,
                 uint32_t size) { Shell(data)->FKeys.Keymap(format, fd, size); },
    .enter =
        [](void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
          TWaylandShell* shell = Shell(data);
          if (TWaylandWindow* window = shell->WindowOf(surface)) {
            shell->FKeysOn = window;
            shell->FFocusLost = false;
          }
        },
    .leave =
        [](void* data, wl_keyboard*, uint32_t, wl_surface* surface) {
          TWaylandShell* shell = Shell(data);
          if (shell->FKeysOn && shell->WindowOf(surface) == shell->FKeysOn) {
            shell->FKeysOn = nullptr;
            shell->FFocusLost = true;
          }
        },
    .key =
        [](void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
          if (state == WL_KEYBOARD_KEY_STATE_PRESSED) Shell(data)->Key(key);
        },
    .modifiers = [](void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked,
                    uint32_t group) { Shell(data)->FKeys.Modifiers(depressed, latched, locked, group); },
    .repeat_info = [](void*, wl_keyboard*, int32_t, int32_t) {},
};

TWaylandShell::TWaylandShell(const commandline::TShellOptions& options) : FOptions(options), FApp(FClock) {
  FApp.Title = "Detonix ScreenSaver";
  FScreens = std::make_unique<TSaverScreens>(FApp, *this, native::ScreensOptionsFor(FOptions));
}

// The members go in the right order by themselves: the watch, the games and their sound, the
// windows, then what they were made with, the connection last.
TWaylandShell::~TWaylandShell() = default;

void TWaylandShell::Global(wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  TGlobals& g = FGlobals;
  const std::string_view is = interface;
  if (is == wl_compositor_interface.name && version >= 4) {  // 4: damage in the buffer's pixels
    g.Compositor.reset(Bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4));
  } else if (is == wl_shm_interface.name) {
    g.Shm.reset(Bind<wl_shm>(registry, name, wl_shm_interface, version, 1));
  } else if (is == xdg_wm_base_interface.name) {
    g.WmBase.reset(Bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 5));
    xdg_wm_base_add_listener(g.WmBase.get(), &WmBaseListener, this);
  } else if (is == zxdg_decoration_manager_v1_interface.name) {
    g.Decorations.reset(Bind<zxdg_decoration_manager_v1>(registry, name, zxdg_decoration_manager_v1_interface, version, 1));
  } else if (is == wp_viewporter_interface.name) {
    g.Viewporter.reset(Bind<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1));
  } else if (is == wp_fractional_scale_manager_v1_interface.name) {
    g.FractionalScale.reset(Bind<wp_fractional_scale_manager_v1>(registry, name,
                                                                  wp_fractional_scale_manager_v1_interface, version, 1));
  } else if (is == zxdg_output_manager_v1_interface.name) {
    g.OutputManager.reset(Bind<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface, version, 3));
    for (auto& o : g.Outputs) WatchOutput(*o);
  } else if (is == wl_output_interface.name && version >= 2) {  // 2: the scale
    auto* output = Bind<wl_output>(registry, name, wl_output_interface, version, 3);
    wl_output_add_listener(output, &OutputListener, this);
    WatchOutput(*g.Outputs.emplace_back(std::make_unique<TOutput>(output, name)));
  } else if (is == wl_seat_interface.name && !FSeat) {
    FSeat = std::make_unique<TSeat>(Bind<wl_seat>(registry, name, wl_seat_interface, version, 5));
    wl_seat_add_listener(FSeat->Seat.get(), &SeatListener, this);
  }
}

void TWaylandShell::WatchOutput(TOutput& output) {
  if (output.Logical || !FGlobals.OutputManager) return;
  output.Logical = zxdg_output_manager_v1_get_xdg_output(FGlobals.OutputManager.get(), output.Output);
  zxdg_output_v1_add_listener(output.Logical, &LogicalListener, &output);
}

void TWaylandShell::GlobalGone(uint32_t name) {
  auto& outputs = FGlobals.Outputs;
  const auto gone = std::find_if(outputs.begin(), outputs.end(), [name](const auto& o) { return o->Name == name; });
  if (gone == outputs.end()) return;
  for (auto& w : FWindows) w->OutputGone(gone->get());
  outputs.erase(gone);
  FOutputsChanged = true;
}

void TWaylandShell::Capabilities(uint32_t capabilities) {
  TSeat& seat = *FSeat;
  if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !seat.Pointer) {
    seat.Pointer.reset(wl_seat_get_pointer(seat.Seat.get()));
    wl_pointer_add_listener(seat.Pointer.get(), &PointerListener, this);
  } else if (!(capabilities & WL_SEAT_CAPABILITY_POINTER) && seat.Pointer) {
    seat.Pointer.reset();
    FPointerOn = nullptr;
  }
  if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !seat.Keyboard) {
    seat.Keyboard.reset(wl_seat_get_keyboard(seat.Seat.get()));
    wl_keyboard_add_listener(seat.Keyboard.get(), &KeyboardListener, this);
  } else if (!(capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && seat.Keyboard) {
    seat.Keyboard.reset();
    // The keyboard went (unplugged), not to another window: nobody else types behind the saver.
    FKeysOn = nullptr;
    FFocusLost = false;
  }
}

TWaylandWindow* TWaylandShell::WindowOf(const wl_surface* surface) const {
  for (const auto& w : FWindows)
    if (w->Surface() == surface) return w.get();
  return nullptr;
}

size_t TWaylandShell::InputIndex(const TWaylandWindow* window) const {
  return window && window->Index < FScreens->Count() ? window->Index : 0;
}

void TWaylandShell::PointerAt(wl_fixed_t x, wl_fixed_t y) {
  const TWaylandWindow* w = FPointerOn;
  if (!w || w->Index >= FScreens->Count()) return;
  // In the pixels the pointer rule is scaled to: the window's, from its output's place.
  const double scale = w->Scale();
  FScreens->PointerMoved(w->Index, static_cast<int>(std::lround((w->X() + wl_fixed_to_double(x)) * scale)),
                         static_cast<int>(std::lround((w->Y() + wl_fixed_to_double(y)) * scale)));
}

void TWaylandShell::Key(uint32_t key) {
  if (FScreens->Count() == 0) return;
  // The window's own ways out (Ctrl+Q is a q too); the saver ends on any key by its rule.
  const uint32_t symbol = FKeys.Symbol(key);
  FScreens->Key(InputIndex(FKeysOn), symbol == XKB_KEY_Escape ? THostKey::Escape
                                     : symbol == XKB_KEY_q    ? THostKey::Q
                                                              : THostKey::Other);
}

void TWaylandShell::Lost() {
  if (FFailed) return;
  wl_display* d = FDisplay.get();
  const int error = wl_display_get_error(d);
  const wl_interface* interface = nullptr;
  uint32_t id = 0;
  const uint32_t code = error == EPROTO ? wl_display_get_protocol_error(d, &interface, &id) : 0;
  if (error == EPROTO)
    std::fprintf(stderr, "detonix: the Wayland compositor refused a request: error %u of %s %u\n", code,
                 interface ? interface->name : "an object", id);
  else
    std::fprintf(stderr, "detonix: the connection to the Wayland compositor broke: %s\n", std::strerror(error));
  FFailed = true;
  FScreens->Fail();
}

bool TWaylandShell::Roundtrip() {
  if (!FFailed && wl_display_roundtrip(FDisplay.get()) < 0) Lost();
  return !FFailed;
}

TWaylandShell::TOpened TWaylandShell::Open() {
  // A host's X11 window is X11's.
  if (FOptions.Mode != TRunMode::rmWindow && !Saver()) return TOpened::NotHere;
  FDisplay.reset(wl_display_connect(nullptr));
  if (!FDisplay) return TOpened::NotHere;
  FRegistry.reset(wl_display_get_registry(FDisplay.get()));
  wl_registry_add_listener(FRegistry.get(), &RegistryListener, this);
  // The globals, then what the outputs and the seat say of themselves.
  if (!Roundtrip() || !Roundtrip()) return TOpened::No;
  const char* lacking = !FGlobals.Compositor ? "wl_compositor (version 4)"
                        : !FGlobals.Shm      ? "wl_shm"
                        : !FGlobals.WmBase   ? "xdg_wm_base"
                                             : nullptr;
  if (lacking) {
    std::fprintf(stderr, "detonix: the Wayland compositor offers no %s\n", lacking);
    return TOpened::No;
  }
  if (Saver() && FGlobals.Outputs.empty()) {
    std::fputs("detonix: the Wayland compositor tells of no monitor to cover\n", stderr);
    return TOpened::No;
  }
  // The signal handlers are in place since the program started; from here the watch turns a
  // signal into the end of the loop.
  FWatch = native::WatchForEnd(nullptr, [this] { FEndAsked = true; });
  if (!OpenWindows()) return TOpened::No;
  // The first configure of each window tells its size; the games start at it.
  const auto configured = [this] {
    return std::all_of(FWindows.begin(), FWindows.end(), [](const auto& w) { return w->Configured(); });
  };
  for (int i = 0; i < 5 && !configured(); ++i)
    if (!Roundtrip()) return TOpened::No;
  if (!configured()) {
    std::fputs("detonix: the Wayland compositor gave the window no size\n", stderr);
    return TOpened::No;
  }
  for (auto& w : FWindows) {
    const TOutput* o = w->Fullscreen() ? w->Fullscreen() : FGlobals.Outputs.empty() ? nullptr : FGlobals.Outputs.front().get();
    w->Index = FScreens->Add(*w, MonitorOf(o, w->Scale()));
    w->TakeResize();  // the size it starts at
  }
  FOutputsChanged = false;
  // The compositor tells where the pointer is only as it enters a window of ours.
  if (Saver()) FScreens->PointerStartUnknown();
  // This early only a board that could not be made ends the run.
  return FScreens->Start() && FScreens->ExitStatus() == 0 ? TOpened::Yes : TOpened::No;
}

TMonitor TWaylandShell::MonitorOf(const TOutput* output, double scale) const {
  const auto pixels = [scale](int32_t units) { return static_cast<int32_t>(std::lround(units * scale)); };
  TMonitor monitor;
  if (output)
    monitor.Bounds = TRect::FromSize(pixels(output->X), pixels(output->Y), pixels(output->Width), pixels(output->Height));
  // Cells at the output's scale, in its own pixels (60-pixel cells at 200 %, as on X11 at 192
  // dpi); a scale given for the run counts in them too.
  monitor.Dpi = DpiOfScale(FOptions.Scale.value_or(scale));
  return monitor;
}

TMonitor TWaylandShell::MonitorOf(const TOutput& output) const {
  return MonitorOf(&output, output.Scale120(FGlobals.Fractional()) / 120.0);
}

TWaylandWindow& TWaylandShell::AddSaverWindow(const TOutput& o) {
  return *FWindows.emplace_back(
      std::make_unique<TWaylandWindow>(FGlobals, &o, o.Width, o.Height, o.Scale120(FGlobals.Fractional())));
}

void TWaylandShell::FollowOutputs() {
  std::vector<TMonitor> monitors;
  for (const auto& o : FGlobals.Outputs)
    if (o->Width > 0 && o->Height > 0) monitors.push_back(MonitorOf(*o));
  const TSaverScreens::TMonitorChanges changes = FScreens->MonitorsChanged(monitors);
  // Gone too: a window whose output went before it was ever configured.
  std::erase_if(FWindows, [this](const auto& w) { return w->Index >= FScreens->Count() || FScreens->Removed(w->Index); });
  if (changes.Added.empty()) return;
  std::vector<TWaylandWindow*> added;
  for (const TMonitor& m : changes.Added)
    for (const auto& o : FGlobals.Outputs)
      if (MonitorOf(*o).Bounds == m.Bounds) {
        added.push_back(&AddSaverWindow(*o));
        break;
      }
  // A new window's size comes with its first configure.
  for (int i = 0; i < 5 && std::any_of(added.begin(), added.end(), [](auto* w) { return !w->Configured(); }); ++i)
    if (!Roundtrip()) return;
  for (TWaylandWindow* w : added) {
    if (!w->Configured()) continue;
    w->Index = FScreens->Add(*w, MonitorOf(*w->Fullscreen()));
    w->TakeResize();
    FScreens->Build(w->Index);
  }
}

bool TWaylandShell::OpenWindows() {
  const auto& outputs = FGlobals.Outputs;
  if (Saver()) {
    // Mirrored outputs show one picture: one window.
    std::vector<TRect> covered;
    for (const auto& o : outputs) {
      const TRect bounds = MonitorOf(*o).Bounds;
      if (std::find(covered.begin(), covered.end(), bounds) != covered.end()) continue;
      covered.push_back(bounds);
      AddSaverWindow(*o);
    }
    return true;
  }
  // The default board at 100 %, as large as the scale makes it, where the monitor has room.
  const TOutput* first = outputs.empty() ? nullptr : outputs.front().get();
  const int scale120 = first ? first->Scale120(FGlobals.Fractional()) : 120;
  const double scale = scale120 / 120.0;
  // In the output's pixels, then in the compositor's units of the window's size.
  const auto pixels = [scale](int32_t units) { return static_cast<int>(std::lround(units * scale)); };
  const TRect bounds = DefaultWindowBounds(
      {TRect::FromSize(0, 0, first ? pixels(first->Width) : 0, first ? pixels(first->Height) : 0),
       DpiOfScale(FOptions.Scale.value_or(scale))});
  const int width = static_cast<int>(std::lround(bounds.Width() / scale));
  const int height = static_cast<int>(std::lround(bounds.Height() / scale));
  // The title bar: the compositor's where it offers one, else libdecor's.
  if (!FGlobals.Decorations)
    if (const TLibdecor* d = TLibdecor::Get())
      if (libdecor* context = d->New(FDisplay.get(), &DecorInterface)) {
        FDecor = std::make_unique<TDecorContext>(context);
        FGlobals.Decor = context;
      }
  FWindows.push_back(std::make_unique<TWaylandWindow>(FGlobals, nullptr, width, height, scale120));
  return true;
}

bool TWaylandShell::HandleEvents() {
  if (FEndAsked) FScreens->Quit();
  if (!FFailed && wl_display_dispatch_pending(FDisplay.get()) < 0) Lost();
  // libdecor's plugin may keep events of its own.
  if (FDecor && !FFailed) TLibdecor::Get()->Dispatch(FDecor->Context, 0);
  // Outputs plugged in, taken away or given a new mode or scale while the saver runs.
  if (std::exchange(FOutputsChanged, false) && Saver() && !FFailed) FollowOutputs();
  for (auto& w : FWindows) {
    if (w->CloseAsked()) FScreens->Quit();
    if (w->TakeResize() && w->Index < FScreens->Count()) FScreens->Resized(w->Index);
  }
  // Judged once the compositor has said all it had to: the focus may be passing on to the window
  // of another of our outputs.
  if (std::exchange(FFocusLost, false) && !FScreens->QuitAsked() && Saver() && Roundtrip() && !FKeysOn && FSeat &&
      FSeat->Keyboard)
    FScreens->KeyboardTaken();
  return true;
}

void TWaylandShell::CommitAll() {
  for (auto& w : FWindows) w->Commit();
}

void TWaylandShell::Wait(std::optional<int64_t> ms) {
  // What this turn drew goes out first, in one commit a window.
  CommitAll();
  if (FFailed) return;
  wl_display* d = FDisplay.get();
  // Events read already are the next turn's, without a sleep.
  if (wl_display_prepare_read(d) != 0) {
    wl_display_flush(d);
    return;
  }
  const int flushed = wl_display_flush(d);
  if (flushed < 0 && errno != EAGAIN) {
    wl_display_cancel_read(d);
    return Lost();
  }
  // A full socket: the rest goes once the compositor has read some.
  FFlushWaits = flushed < 0;
  // Sleep until the next timer is due, the compositor speaks or the watch asks for the end.
  const int timeout = ms ? static_cast<int>(std::min<int64_t>(*ms, INT_MAX)) : -1;
  pollfd fds[2] = {{wl_display_get_fd(d), static_cast<short>(POLLIN | (FFlushWaits ? POLLOUT : 0)), 0},
                   {FWatch->EndedFd(), POLLIN, 0}};
  if (poll(fds, 2, timeout) > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP))) {
    if (wl_display_read_events(d) < 0) Lost();
    return;
  }
  wl_display_cancel_read(d);
}

void TWaylandShell::ProcessMessages() {
  CommitAll();
  if (!FFailed) wl_display_flush(FDisplay.get());
}

std::shared_ptr<TSoundOutput> TWaylandShell::MakeSound() { return std::make_shared<native::TSdlSoundOutput>(); }

int TWaylandShell::Loop() {
  FScreens->Run();
  FScreens->Stop();
  return FScreens->ExitStatus();
}

}  // namespace detonix::wayland
