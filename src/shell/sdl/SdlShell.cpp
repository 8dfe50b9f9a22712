#include "shell/sdl/SdlShell.h"

#include <climits>
#include <cstdio>

#include "settings/SettingsStore.h"
#include "shell/sdl/SdlSoundOutput.h"
#include "shell/sdl/SettingsCommands.h"
#include "shell/sdl/XWindow.h"

namespace detonix::sdl {

namespace {

constexpr int WindowWidth = 1024;
constexpr int WindowHeight = 768;

THostMode HostMode(TShellMode mode) {
  switch (mode) {
    case TShellMode::smFullScreen:
      return THostMode::hmSaver;
    case TShellMode::smForeignWindow:
      return THostMode::hmForeign;
    case TShellMode::smPreview:
      return THostMode::hmPreview;
    default:
      return THostMode::hmWindow;
  }
}

}  // namespace

TSdlShell::TSdlShell(const TShellOptions& options) : FOptions(options), FApp(FClock) {
  FApp.Title = "Detonix ScreenSaver";
  FApp.OnShowMessage = [this](const std::string& text) { ShowMessage(text); };
  // The simulator asks for this while it pauses and resumes a game, even inside its constructor:
  // only show what is drawn and let SDL read the X connection; the events wait for the loop.
  FApp.OnProcessMessages = [this] {
    if (FHost) FHost->Present();
    SDL_PumpEvents();
  };
}

TSdlShell::~TSdlShell() {
  StopGame();
  FHost.reset();  // and with it the sound device, before SDL goes
  if (FWindow) SDL_DestroyWindow(FWindow);
  if (FVideoStarted) SDL_Quit();
}

void TSdlShell::ShowMessage(const std::string& text) {
  std::fprintf(stderr, "detonix: %s\n", text.c_str());
  // Over a full-screen saver or inside someone else's window nobody could answer a box.
  if (FOptions.Mode == TShellMode::smWindow && FWindow)
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Detonix", text.c_str(), FWindow);
}

bool TSdlShell::Open() {
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // Left to itself SDL presents a window surface through OpenGL, which uploads and draws the
  // whole window for every change (in software where there is no GPU). The X11 framebuffer
  // sends only the changed rectangles.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Foreign windows are X11 windows; SDL must talk X11 to them.
  if (Foreign()) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  InstallXErrorHandler();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "detonix: cannot open the display: %s\n", SDL_GetError());
    return false;
  }
  FVideoStarted = true;

  switch (FOptions.Mode) {
    case TShellMode::smFullScreen: {
      SDL_Rect bounds{0, 0, WindowWidth, WindowHeight};
      SDL_GetDisplayBounds(0, &bounds);
      FWindow = SDL_CreateWindow("Detonix", bounds.x, bounds.y, bounds.w, bounds.h,
                                 SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR);
      if (FWindow) {
        SDL_ShowCursor(SDL_DISABLE);
        SDL_RaiseWindow(FWindow);
        // Every key is the saver's, wherever the focus was: the first one ends it.
        SDL_SetWindowKeyboardGrab(FWindow, SDL_TRUE);
      }
      break;
    }
    case TShellMode::smForeignWindow:
    case TShellMode::smPreview: {
      const auto id = FOptions.WindowId ? FOptions.WindowId : RootWindowId();
      if (!id || !XWindowExists(*id)) {
        std::fprintf(stderr, "detonix: there is no X11 window 0x%llx to draw into\n",
                     static_cast<unsigned long long>(id.value_or(0)));
        return false;
      }
      FOptions.WindowId = id;
      FWindow = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(*id)));
      if (FWindow && !WatchForeignWindow(FWindow)) {
        std::fprintf(stderr, "detonix: cannot watch the X11 window 0x%llx\n", static_cast<unsigned long long>(*id));
        return false;
      }
      break;
    }
    default:
      FWindow = SDL_CreateWindow("Detonix", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, WindowWidth,
                                 WindowHeight, SDL_WINDOW_RESIZABLE);
      break;
  }
  if (!FWindow) {
    std::fprintf(stderr, "detonix: cannot create the window: %s\n", SDL_GetError());
    return false;
  }

  THostOptions host;
  host.Mode = HostMode(FOptions.Mode);
  host.ReadSettings = [options = FOptions] { return SettingsForRun(*CreateUserSettingsStore(), options); };
  host.Seed = FOptions.Seed;
  // The device is opened once, and only when it will be used: an open device costs a thread.
  if (host.Mode != THostMode::hmPreview && host.ReadSettings().Sounds) host.Sound = std::make_shared<TSdlSoundOutput>();
  FHost = std::make_unique<TGameHost>(FApp, std::move(host));
  FHost->OnBlit = [this](const std::vector<TRect>& changed) { Blit(changed); };
  if (FHost->Mode() == THostMode::hmSaver) {
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    FHost->PointerStartsAt(x, y);
  }
  return true;
}

void TSdlShell::StartGame() {
  StopGame();
  SDL_Surface* window = SDL_GetWindowSurface(FWindow);
  if (!window) {
    std::fprintf(stderr, "detonix: no picture for the window: %s\n", SDL_GetError());
    return;
  }
  FWindowSurface = window;
  SDL_Surface* pixels = window;
  const Uint32 format = window->format->format;
  if (format != SDL_PIXELFORMAT_RGB888 && format != SDL_PIXELFORMAT_ARGB8888) {
    FShadow = SDL_CreateRGBSurfaceWithFormat(0, window->w, window->h, 32, SDL_PIXELFORMAT_RGB888);
    if (!FShadow) {
      std::fprintf(stderr, "detonix: %s\n", SDL_GetError());
      return;
    }
    pixels = FShadow;
  }
  if (!FHost->Build(pixels->pixels, pixels->w, pixels->h, pixels->pitch))
    std::fprintf(stderr, "detonix: %s\n", FHost->Failure().c_str());
  if (FHost->Surface()) FHost->Surface()->Invalidate();
  FHost->Present();
}

void TSdlShell::StopGame() {
  if (FHost) FHost->Stop();  // before the pixels it draws into
  if (FShadow) SDL_FreeSurface(FShadow);
  FShadow = nullptr;
  FWindowSurface = nullptr;
}

void TSdlShell::Blit(const std::vector<TRect>& changed) {
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
  // Fails harmlessly while a new size waits to be handled.
  SDL_UpdateWindowSurfaceRects(FWindow, rects.data(), static_cast<int>(rects.size()));
}

void TSdlShell::HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:  // also SIGTERM and SIGINT, through SDL's signal handlers
      FQuit = true;
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        FSizeChanged = true;
      } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED && !FSizeChanged && FHost->Surface()) {
        FHost->Surface()->Invalidate();
        FHost->Present();
      } else if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        FQuit = true;
      }
      break;
    case SDL_KEYDOWN:
      FHost->Key();
      break;
    case SDL_MOUSEBUTTONDOWN:
      FHost->Click();
      break;
    case SDL_MOUSEMOTION: {
      int x = 0;
      int y = 0;
      SDL_GetWindowPosition(FWindow, &x, &y);
      FHost->PointerMoved(x + event.motion.x, y + event.motion.y);
      break;
    }
    case SDL_SYSWMEVENT:
      if (IsWindowDestroyed(event, FWindow)) FQuit = true;
      break;
    default:
      break;
  }
}

int TSdlShell::Run() {
  if (!Open()) return 1;
  StartGame();
  // This early only a board that could not be made ends the run.
  if (FHost->Ended()) return 1;
  SDL_Event event;
  const auto over = [this] { return FQuit || FHost->Ended(); };
  while (!over()) {
    while (!over() && SDL_PollEvent(&event)) HandleEvent(event);
    if (over()) break;
    // A window that its owner destroyed shows up as failed requests before the notice arrives.
    if (Foreign() && TakeXWindowError() && !XWindowExists(*FOptions.WindowId)) break;
    if (FSizeChanged) {
      FSizeChanged = false;
      StartGame();  // a new game at the new size
      continue;
    }
    // Sleep until the next timer is due or an event arrives.
    const auto due = FHost->Step();
    const int timeout = due ? static_cast<int>(std::min<int64_t>(*due, INT_MAX)) : -1;
    if (timeout != 0 && SDL_WaitEventTimeout(&event, timeout)) HandleEvent(event);
  }
  StopGame();
  return 0;
}

}  // namespace detonix::sdl
