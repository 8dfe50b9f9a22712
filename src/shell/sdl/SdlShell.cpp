#include "shell/sdl/SdlShell.h"

#include <climits>
#include <cstdio>
#include <exception>

#include "settings/SettingsStore.h"
#include "shell/sdl/SdlSoundOutput.h"
#include "shell/sdl/SettingsCommands.h"
#include "shell/sdl/XWindow.h"

namespace detonix::sdl {

namespace {

constexpr int WindowWidth = 1024;
constexpr int WindowHeight = 768;

SDL_Rect ToSdl(const TRect& r) { return SDL_Rect{r.Left, r.Top, r.Width(), r.Height()}; }

}  // namespace

TSdlShell::TSdlShell(const TShellOptions& options) : FOptions(options), FApp(FClock) {
  FApp.Title = "Detonix ScreenSaver";
  FApp.OnShowMessage = [this](const std::string& text) { ShowMessage(text); };
  // The simulator asks for this while it pauses and resumes a game, even inside its constructor:
  // only show what is drawn and let SDL read the X connection; the events wait for the loop.
  FApp.OnProcessMessages = [this] {
    Present();
    SDL_PumpEvents();
  };
}

TSdlShell::~TSdlShell() {
  StopGame();
  FSound.reset();
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
        SDL_GetGlobalMouseState(&FStartX, &FStartY);
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

  // The device is opened once, and only when it will be used: an open device costs a thread.
  if (FOptions.Mode != TShellMode::smPreview) {
    const TSettings settings = EffectiveSettings(*CreateUserSettingsStore(), FOptions.Overrides);
    if (settings.Sounds) FSound = std::make_shared<TSdlSoundOutput>();
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
  SDL_FillRect(window, nullptr, SDL_MapRGB(window->format, 0, 0, 0));
  const Uint32 format = window->format->format;
  if (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888) {
    FSurface = std::make_unique<TPaintSurface>(window->pixels, window->w, window->h, window->pitch);
  } else {
    FSurface = std::make_unique<TPaintSurface>(window->w, window->h);
    const TBitmap& bitmap = FSurface->Bitmap();
    // SDL only reads through this view: it is the source of every blit.
    FShadow = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(bitmap.Bits()), bitmap.Width(),
                                                 bitmap.Height(), 32, bitmap.Stride(), SDL_PIXELFORMAT_RGB888);
    if (!FShadow) {
      std::fprintf(stderr, "detonix: %s\n", SDL_GetError());
      FSurface.reset();
      return;
    }
  }

  const bool preview = FOptions.Mode == TShellMode::smPreview;
  TSimulatorOptions options;
  options.Preview = preview;
  options.CellSize = preview ? PreviewCellSize(window->w) : -1;
  // Read afresh for every game host, as the saver does at every start.
  options.Settings = EffectiveSettings(*CreateUserSettingsStore(), FOptions.Overrides);
  options.Sound = preview ? nullptr : FSound;
  options.Seed = FOptions.Seed;
  const bool first = FFirstGame;
  FFirstGame = false;
  try {
    FSim = std::make_unique<TDetonixSimulator>(FApp, *FSurface, options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "detonix: %s\n", e.what());
    // A window made too small keeps waiting, black, for a size that fits; a board that cannot
    // be made at the start is the user's to hear about.
    if (first && !Foreign()) {
      FStatus = 1;
      FQuit = true;
    }
  }
  PresentAll();
}

void TSdlShell::StopGame() {
  FSim.reset();  // before the pixels it draws into
  FSurface.reset();
  if (FShadow) SDL_FreeSurface(FShadow);
  FShadow = nullptr;
  FWindowSurface = nullptr;
}

void TSdlShell::Present() {
  if (!FSurface || !FSurface->HasChanges()) return;
  const std::vector<TRect> changed = FSurface->TakeChanged();
  std::vector<SDL_Rect> rects;
  rects.reserve(changed.size());
  for (const TRect& r : changed) {
    SDL_Rect s = ToSdl(r);
    if (FShadow) {
      SDL_Rect target = s;
      SDL_BlitSurface(FShadow, &s, FWindowSurface, &target);
    }
    rects.push_back(s);
  }
  // Fails harmlessly while a new size waits to be handled.
  SDL_UpdateWindowSurfaceRects(FWindow, rects.data(), static_cast<int>(rects.size()));
}

void TSdlShell::PresentAll() {
  if (!FSurface) return;
  FSurface->TakeChanged();
  if (FShadow) SDL_BlitSurface(FShadow, nullptr, FWindowSurface, nullptr);
  SDL_UpdateWindowSurface(FWindow);
}

void TSdlShell::HandleWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      FSizeChanged = true;
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      if (!FSizeChanged) PresentAll();
      break;
    case SDL_WINDOWEVENT_CLOSE:
      FQuit = true;
      break;
    default:
      break;
  }
}

void TSdlShell::HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:  // also SIGTERM and SIGINT, through SDL's signal handlers
      FQuit = true;
      break;
    case SDL_WINDOWEVENT:
      HandleWindowEvent(event.window);
      break;
    case SDL_KEYDOWN:
    case SDL_MOUSEBUTTONDOWN:
      if (ClosesOnInput()) FQuit = true;
      break;
    case SDL_MOUSEMOTION:
      if (ClosesOnInput()) {
        int x = 0;
        int y = 0;
        SDL_GetWindowPosition(FWindow, &x, &y);
        if (MovedBeyondThreshold(FStartX, FStartY, x + event.motion.x, y + event.motion.y)) FQuit = true;
      }
      break;
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
  SDL_Event event;
  while (!FQuit) {
    FApp.FireDueTimers();
    Present();
    while (!FQuit && SDL_PollEvent(&event)) HandleEvent(event);
    if (FQuit) break;
    // A window that its owner destroyed shows up as failed requests before the notice arrives.
    if (Foreign() && TakeXWindowError() && !XWindowExists(*FOptions.WindowId)) break;
    if (FSizeChanged) {
      FSizeChanged = false;
      StartGame();  // a new game at the new size
      continue;
    }
    FApp.DoIdle();
    Present();
    // Sleep until the next timer is due or an event arrives.
    const auto due = FApp.MsUntilNextTimer();
    const int timeout = due ? static_cast<int>(std::min<int64_t>(*due, INT_MAX)) : -1;
    if (timeout == 0) continue;
    if (SDL_WaitEventTimeout(&event, timeout)) HandleEvent(event);
  }
  StopGame();
  return FStatus;
}

}  // namespace detonix::sdl
