#include "shell/sdl/SdlShell.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "media/Pictures.h"
#include "shell/sdl/SdlSoundOutput.h"
#include "shell/sdl/XWindow.h"
#include "shell/x11/EndWatch.h"
#include "shell/x11/PresentTrace.h"
#include "shell/x11/ProgramRun.h"
#include "shell/x11/XPicture.h"

namespace detonix::sdl {

namespace {

// Task switchers and docks show it (on X11 as _NET_WM_ICON).
void SetWindowIcon(SDL_Window* window) {
  constexpr int Size = 64;
  TBitmap icon = IconPicture(Size);
  if (SDL_Surface* surface =
          SDL_CreateRGBSurfaceWithFormatFrom(icon.Bits(), Size, Size, 32, icon.Stride(), SDL_PIXELFORMAT_ARGB8888)) {
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
  }
}

}  // namespace

TWindowPixels TSdlWindow::Pixels() {
  ReleasePixels();
  int width = 0;
  int height = 0;
  PixelSize(width, height);
  _XDisplay* display = nullptr;
  unsigned long xwindow = 0;
  if (X11WindowOf(Window, display, xwindow)) FShared = x11::TXPicture::Create(display, xwindow, width, height);
  if (FShared) return {FShared->Pixels(), width, height, FShared->Pitch()};
  if (PixelRatio > 1) FRendered = TRendererPicture::Create(Window, width, height);
  if (FRendered) return {FRendered->Pixels(), width, height, FRendered->Pitch()};
  FWindowSurface = SDL_GetWindowSurface(Window);
  if (!FWindowSurface) {
    // SDL often gives no reason here; a run that can show nothing must not go on unseen.
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string why = SDL_GetError();
    std::fprintf(stderr, "detonix: no picture for the window: the %s video driver gave the window no pixels%s%s\n",
                 driver ? driver : "current", why.empty() ? "" : ": ", why.c_str());
    FNoPixels = true;
    return {};
  }
  SDL_Surface* pixels = FWindowSurface;
  const Uint32 format = FWindowSurface->format->format;
  if (format != SDL_PIXELFORMAT_RGB888 && format != SDL_PIXELFORMAT_ARGB8888) {
    FShadow = SDL_CreateRGBSurfaceWithFormat(0, FWindowSurface->w, FWindowSurface->h, 32, SDL_PIXELFORMAT_RGB888);
    if (!FShadow) {
      std::fprintf(stderr, "detonix: %s\n", SDL_GetError());
      FNoPixels = true;
      return {};
    }
    pixels = FShadow;
  }
  return {pixels->pixels, pixels->w, pixels->h, pixels->pitch};
}

void TSdlWindow::ReleasePixels() {
  FShared.reset();
  FRendered.reset();
  if (FShadow) SDL_FreeSurface(FShadow);
  FShadow = nullptr;
  FWindowSurface = nullptr;
}

void TSdlWindow::Present(const std::vector<TRect>& changed) {
  std::vector<SDL_Rect> rects;
  rects.reserve(changed.size());
  for (const TRect& r : changed) {
    SDL_Rect s{r.Left, r.Top, r.Width(), r.Height()};
    if (FShadow) {
      SDL_Rect target = s;
      SDL_BlitSurface(FShadow, &s, FWindowSurface, &target);
    }
    rects.push_back(s);
  }
  x11::TracePresent(changed);
  if (FShared) return FShared->Present(changed);
  if (FRendered) return FRendered->Present(rects.data(), static_cast<int>(rects.size()));
  // Fails harmlessly while a new size waits to be handled.
  SDL_UpdateWindowSurfaceRects(Window, rects.data(), static_cast<int>(rects.size()));
}

TSdlShell::TSdlShell(const commandline::TShellOptions& options, std::function<std::vector<TMonitor>()> monitors)
    : FOptions(options), FMonitors(std::move(monitors)), FApp(FClock) {
  FApp.Title = "Detonix ScreenSaver";
  FScreens = std::make_unique<TSaverScreens>(FApp, *this, x11::ScreensOptionsFor(FOptions));
}

TSdlShell::~TSdlShell() {
  FWatch.reset();
  FScreens.reset();  // the games and the sound device, before the windows and SDL go
  // SDL waits for a window of its own that it destroys to be unmapped, which for one another client
  // destroyed never happens; the process ends now and the X connection with it.
  if (!Foreign() && std::any_of(FWindows.begin(), FWindows.end(), [](const auto& w) { return XWindowGone(w->Window); }))
    return;
  for (auto& window : FWindows) {
    SDL_Window* sdl = window->Window;
    window.reset();  // its pixels first
    if (sdl) SDL_DestroyWindow(sdl);
  }
  if (FVideoStarted) SDL_Quit();
}

void TSdlShell::ShowBox(const std::string& text) {
  FPumped = true;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Detonix", text.c_str(), FWindows.empty() ? nullptr : FWindows.front()->Window);
}

bool TSdlShell::Open() {
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // Left to itself SDL holds off the desktop's idle while a window of ours exists (the X screen
  // saver, the session's D-Bus inhibit, Wayland's idle inhibitor): a saver must never keep the
  // desktop from locking or the monitor from powering off.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Foreign windows are X11 windows; SDL must talk X11 to them.
  if (Foreign()) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  x11::InstallXErrorHandler();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "detonix: cannot open the display: %s\n", SDL_GetError());
    return false;
  }
  FVideoStarted = true;
  // The signal handlers are in place since the program started; from here the watch turns a
  // signal or a destroyed foreign window into a quit event.
  FWatch = std::make_unique<x11::TEndWatch>(
      Foreign() ? FOptions.WindowId : std::nullopt,
      [] {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
      },
      [] {
        std::fputs("detonix: the game did not stop in time; ending at once\n", stderr);
        x11::TEndWatch::EndByTheSignalSeen();
        std::_Exit(0);
      });
  // Left to itself SDL presents a window surface through OpenGL, which uploads and draws the
  // whole window for every change (in software where there is no GPU). The X11 framebuffer
  // sends only the changed rectangles. Wayland has no framebuffer of its own: forbidding
  // OpenGL there leaves the window without pixels.
  if (DriverIs("x11")) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Without a display SDL falls back to drawing off screen, and the game would run for nobody;
  // unless someone asked for that driver by name.
  if (!SDL_getenv("SDL_VIDEODRIVER") && (DriverIs("offscreen") || DriverIs("dummy"))) {
    std::fprintf(stderr, "detonix: cannot open the display: no X11 or Wayland display is reachable (DISPLAY is '%s')\n",
                 SDL_getenv("DISPLAY") ? SDL_getenv("DISPLAY") : "");
    return false;
  }
  if (!OpenWindows()) return false;
  // Our own windows going away is news too (another client's XDestroyWindow).
  if (DriverIs("x11")) SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  FX = XConnectionOf(FWindows.front()->Window);

  if (FOptions.Mode == TRunMode::rmSaver) {
    // Only X11 tells where the pointer is before it enters a window of ours; elsewhere (Wayland)
    // SDL answers 0,0, and the pointer's first report would end the saver at once.
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    if (DriverIs("x11")) FScreens->PointerStartsAt(x, y);
    else FScreens->PointerStartUnknown();
  }
  // This early only a board that could not be made ends the run.
  return FScreens->Start() && !Failed();
}

bool TSdlShell::OpenWindows() {
  switch (FOptions.Mode) {
    case TRunMode::rmSaver: {
      const std::vector<TMonitor> real = SdlMonitors(FOptions.Scale);
      std::vector<TMonitor> monitors = FMonitors ? FMonitors() : real;
      if (monitors.empty()) monitors.push_back({TRect{0, 0, DefaultWindowWidth, DefaultWindowHeight}});
      for (const TMonitor& m : monitors) {
        Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALLOW_HIGHDPI;
        // Full screen on the monitor of exactly these bounds; bounds that are no monitor's (a
        // layout a test makes up) keep a plain window there.
        if (std::any_of(real.begin(), real.end(), [&m](const TMonitor& r) { return r.Bounds == m.Bounds; }))
          flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        const TRect& b = m.Bounds;
        if (!AddWindow(SDL_CreateWindow("Detonix", b.Left, b.Top, b.Width(), b.Height(), flags), m)) return false;
      }
      SDL_ShowCursor(SDL_DISABLE);
      SDL_Window* first = FWindows.front()->Window;
      SDL_RaiseWindow(first);
      // Ours from the start, so that another window taking the focus is news (X11; a Wayland
      // compositor gives it to a new window of its own accord).
      SDL_SetWindowInputFocus(first);
      // Every key is the saver's, wherever the focus was: the first one ends it.
      SDL_SetWindowKeyboardGrab(first, SDL_TRUE);
      return true;
    }
    case TRunMode::rmForeign:
    case TRunMode::rmPreview: {
      const auto id = x11::ExistingXWindow(FOptions.WindowId);
      if (!id) {
        std::fprintf(stderr, "detonix: there is no X11 window 0x%llx to draw into\n",
                     static_cast<unsigned long long>(FOptions.WindowId.value_or(0)));
        return false;
      }
      FOptions.WindowId = id;
      SDL_Window* window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(*id)));
      if (!AddWindow(window, MonitorOf(window, FOptions.Scale))) return false;
      if (!WatchForeignWindow(FWindows.front()->Window)) {
        std::fprintf(stderr, "detonix: cannot watch the X11 window 0x%llx\n", static_cast<unsigned long long>(*id));
        return false;
      }
      return true;
    }
    default: {
      // The default board at 100 %, as large as the scale makes it, where the monitor has room.
      const std::vector<TMonitor> monitors = SdlMonitors(FOptions.Scale);
      const TMonitor first = monitors.empty() ? TMonitor{} : monitors.front();
      const auto fit = [](int pixels, int room) { return room > 0 ? std::min(pixels, room) : pixels; };
      SDL_Window* window = SDL_CreateWindow("Detonix", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                            fit(ScaledPixels(DefaultWindowWidth, first.Dpi), first.Bounds.Width()),
                                            fit(ScaledPixels(DefaultWindowHeight, first.Dpi), first.Bounds.Height()),
                                            SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
      if (window) {
        // A window manager keeps it within the board's limits; without one it may still grow past them.
        SDL_SetWindowMaximumSize(window, MaxSurfaceSide, MaxSurfaceSide);
        SetWindowIcon(window);
      }
      return AddWindow(window, MonitorOf(window, FOptions.Scale));
    }
  }
}

bool TSdlShell::AddWindow(SDL_Window* window, const TMonitor& monitor) {
  if (!window) {
    std::fprintf(stderr, "detonix: cannot create the window: %s\n", SDL_GetError());
    return false;
  }
  // Where the compositor scales windows (Wayland), a high-dpi window's pixels are the output's own:
  // the board is painted at the monitor's scale in them, as on X11.
  const double ratio = PixelRatio(window);
  TMonitor scaled = monitor;
  scaled.Dpi = static_cast<int>(std::lround(monitor.Dpi * ratio));
  auto& added = *FWindows.emplace_back(std::make_unique<TSdlWindow>(window, FScreens->Count(), ratio));
  FScreens->Add(added, scaled);
  return true;
}

TSdlWindow* TSdlShell::WindowOf(Uint32 windowId) {
  for (auto& window : FWindows)
    if (SDL_GetWindowID(window->Window) == windowId) return window.get();
  return nullptr;
}

void TSdlShell::HandleEvent(const SDL_Event& event) {
  // Input goes to the screen of its window (the first where SDL names none); the saver's input
  // rules end the run on every monitor.
  const auto inputWindow = [this](Uint32 windowId) {
    TSdlWindow* window = WindowOf(windowId);
    return window ? window : FWindows.front().get();
  };
  switch (event.type) {
    case SDL_QUIT:  // also SIGTERM and SIGINT, through the end watch
      FQuit = true;
      break;
    case SDL_WINDOWEVENT: {
      const TSdlWindow* window = WindowOf(event.window.windowID);
      if (!window) break;
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) FScreens->Resized(window->Index);
      else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) FScreens->Exposed(window->Index);
      else if (event.window.event == SDL_WINDOWEVENT_CLOSE) FQuit = true;
      else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) FFocusLost = true;
      break;
    }
    case SDL_KEYDOWN:
      // The window's own ways out (Ctrl+Q is a q too); the saver ends on any key by its rule.
      if (FOptions.Mode == TRunMode::rmWindow && (event.key.keysym.sym == SDLK_ESCAPE || event.key.keysym.sym == SDLK_q))
        FQuit = true;
      FScreens->Key(inputWindow(event.key.windowID)->Index);
      break;
    case SDL_MOUSEBUTTONDOWN:  // every button, the extra (back and forward) ones too
      FScreens->Click(inputWindow(event.button.windowID)->Index);
      break;
    case SDL_MOUSEWHEEL:  // either way, either axis: a click as far as the saver is concerned
      FScreens->Click(inputWindow(event.wheel.windowID)->Index);
      break;
    case SDL_MOUSEMOTION: {
      const TSdlWindow* window = inputWindow(event.motion.windowID);
      int x = 0;
      int y = 0;
      SDL_GetWindowPosition(window->Window, &x, &y);
      // In the pixels the pointer rule is scaled to.
      FScreens->PointerMoved(window->Index, static_cast<int>(std::lround((x + event.motion.x) * window->PixelRatio)),
                             static_cast<int>(std::lround((y + event.motion.y) * window->PixelRatio)));
      break;
    }
    case SDL_SYSWMEVENT:
      for (auto& window : FWindows)
        if (IsWindowDestroyed(event, window->Window)) WindowGone(window->Index);
      break;
    default:
      break;
  }
}

void TSdlShell::WindowGone(size_t index) {
  FQuit = true;
  FScreens->WindowGone(index);
  // A host takes its window back when it is done with us; our own window has no business vanishing.
  if (Foreign()) return;
  std::fputs("detonix: another program destroyed the window; ending\n", stderr);
  FFailed = true;
}

bool TSdlShell::HandleEvents() {
  SDL_Event event;
  while (FLook && !FQuit && !FScreens->Ended() && SDL_PollEvent(&event)) HandleEvent(event);
  FLook = true;
  // Judged once the queue is read: the focus may have passed on to the window of another of our
  // monitors, or gone with a window destroyed under us.
  if (std::exchange(FFocusLost, false) && !FQuit && FOptions.Mode == TRunMode::rmSaver &&
      !WindowOf(SDL_GetKeyboardFocus() ? SDL_GetWindowID(SDL_GetKeyboardFocus()) : 0)) {
    // Another program took the keyboard: what the user types goes there, not behind the saver.
    FScreens->End();
  }
  // A destroyed window shows up as failed requests before the notice arrives.
  if (!FQuit && x11::TakeXWindowError())
    for (auto& window : FWindows)
      if (XWindowGone(window->Window)) WindowGone(window->Index);
  return !FQuit;
}

void TSdlShell::Wait(std::optional<int64_t> ms) {
  // Sleep until the next timer is due or an event arrives.
  const int timeout = ms ? static_cast<int>(std::min<int64_t>(*ms, INT_MAX)) : -1;
  if (timeout == 0) return;
  if (FX) {
    // Only the pauses and the boxes let SDL queue events of its own (the end watch's wake the
    // poll); otherwise its queue was read empty, and looking again would take its lock.
    FLook = std::exchange(FPumped, false) ? SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE : false;
    if (!FLook) FLook = x11::WaitForXInput(*FX, FWatch->EndedFd(), timeout);
    return;
  }
  SDL_Event event;
  FLook = SDL_WaitEventTimeout(&event, timeout);
  if (FLook) HandleEvent(event);
}

bool TSdlShell::Failed() const {
  return FFailed || std::any_of(FWindows.begin(), FWindows.end(), [](const auto& w) { return w->NoPixels(); });
}

int TSdlShell::Run() { return Open() ? Loop() : 1; }

int TSdlShell::Loop() {
  FScreens->Run();
  FWatch.reset();
  for (auto& window : FWindows) FScreens->Host(window->Index).Stop();
  return Failed() ? 1 : 0;
}

}  // namespace detonix::sdl
