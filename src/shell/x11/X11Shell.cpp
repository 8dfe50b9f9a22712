#include "shell/x11/X11Shell.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include "media/Pictures.h"
#include "native/EndWatch.h"
#include "native/ProgramRun.h"
#include "native/SdlSoundOutput.h"
#include "shell/x11/XMonitors.h"

namespace detonix::x11 {

namespace {

// The atoms the windows need, asked for in one round trip.
enum TAtom {
  aDeleteWindow, aProtocols, aName, aUtf8, aPid, aIcon, aState, aFullscreen, aSkipTaskbar, aSkipPager,
  aBypassCompositor, aMotifHints, aAtomCount
};
constexpr const char* AtomNames[aAtomCount] = {
    "WM_DELETE_WINDOW", "WM_PROTOCOLS", "_NET_WM_NAME", "UTF8_STRING", "_NET_WM_PID", "_NET_WM_ICON", "_NET_WM_STATE",
    "_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_BYPASS_COMPOSITOR",
    "_MOTIF_WM_HINTS"};

void SetCardinals(Display* display, Window window, Atom property, Atom type, const std::vector<long>& values) {
  XChangeProperty(display, window, property, type, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
}

// Task switchers and docks show it: 64 by 64 ARGB, one pixel a long.
void SetIcon(Display* display, Window window, Atom property) {
  constexpr int Size = 64;
  const TBitmap icon = IconPicture(Size);
  std::vector<long> values{Size, Size};
  for (int y = 0; y < Size; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(icon.Bits()) + y * icon.Stride());
    for (int x = 0; x < Size; ++x) values.push_back(static_cast<long>(row[x]));
  }
  SetCardinals(display, window, property, XA_CARDINAL, values);
}

// Sleeps until WINDOW is shown, at most MS milliseconds.
bool WaitForMap(Display* display, Window window, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  XEvent event;
  while (!XCheckTypedWindowEvent(display, window, MapNotify, &event)) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left));
  }
  return true;
}

// A host's window destroyed, seen on a connection of the end watch's own: the loop's may be busy.
class TXWindowWatch final : public native::TEndSource {
 public:
  explicit TXWindowWatch(Window window) : FDisplay(XOpenDisplay(nullptr)), FWindow(window) {
    if (!FDisplay) return;
    XSelectInput(FDisplay, FWindow, StructureNotifyMask);
    XFlush(FDisplay);
  }
  ~TXWindowWatch() override {
    if (FDisplay) XCloseDisplay(FDisplay);
  }
  TXWindowWatch(const TXWindowWatch&) = delete;
  TXWindowWatch& operator=(const TXWindowWatch&) = delete;

  int Fd() const override { return FDisplay ? ConnectionNumber(FDisplay) : -1; }
  bool Ended() override {
    bool gone = false;
    while (FDisplay && XPending(FDisplay) > 0) {
      XEvent event;
      XNextEvent(FDisplay, &event);
      gone = gone || (event.type == DestroyNotify && event.xdestroywindow.window == FWindow);
    }
    return gone;
  }

 private:
  Display* const FDisplay;
  const Window FWindow;
};

}  // namespace

TX11Window::~TX11Window() {
  ReleasePixels();
  if (Own && !Gone) XDestroyWindow(XDisplay, XWindow);
}

TWindowPixels TX11Window::Pixels() {
  ReleasePixels();
  FPicture = TXPicture::Create(XDisplay, XWindow, FWidth, FHeight);
  if (!FPicture) {
    std::fprintf(stderr, "detonix: no picture for the window: the X server gave no memory for %d by %d pixels\n", FWidth,
                 FHeight);
    return {};
  }
  return {FPicture->Pixels(), FWidth, FHeight, FPicture->Pitch()};
}

void TX11Window::Present(const std::vector<TRect>& changed) {
  if (FPicture && !Gone) FPicture->Present(changed);
}

bool TX11Window::SizeIs(int width, int height) {
  if (width == FWidth && height == FHeight) return false;
  FWidth = width;
  FHeight = height;
  return true;
}

TX11Shell::TX11Shell(const commandline::TShellOptions& options) : FOptions(options), FApp(FClock) {
  FApp.Title = "Detonix ScreenSaver";
  FScreens = std::make_unique<TSaverScreens>(FApp, *this, native::ScreensOptionsFor(FOptions));
}

TX11Shell::~TX11Shell() {
  FScreens.reset();  // the games and the sound, before the windows
  FWindows.clear();
  if (FBlankCursor) XFreeCursor(FDisplay, FBlankCursor);
  if (FDisplay) XCloseDisplay(FDisplay);
  // Last: letting go of the pictures and the display waits for the server, which may not answer
  // (another client's grab, a stopped server); after a signal the watch ends the process in time.
  FWatch.reset();
}

TX11Shell::TOpened TX11Shell::Open() {
  InstallXErrorHandler();
  FDisplay = XOpenDisplay(nullptr);
  if (!FDisplay) return TOpened::NotHere;
  const Window root = DefaultRootWindow(FDisplay);
  if (Foreign()) {
    const Window target = FOptions.WindowId ? static_cast<Window>(*FOptions.WindowId) : root;
    if (!XWindowExists(FDisplay, target)) {
      std::fprintf(stderr, "detonix: there is no X11 window 0x%llx to draw into\n",
                   static_cast<unsigned long long>(target));
      return TOpened::No;
    }
    FOptions.WindowId = target;
  }
  const Window drawn = Foreign() ? static_cast<Window>(*FOptions.WindowId) : root;
  if (const std::string why = TXPicture::Unfit(FDisplay, drawn); !why.empty()) {
    std::fprintf(stderr, "detonix: cannot draw into the X11 window 0x%lx: %s\n", drawn, why.c_str());
    return TOpened::No;
  }
  FX = {FDisplay, ConnectionNumber(FDisplay)};
  FAtoms.resize(aAtomCount);
  XInternAtoms(FDisplay, const_cast<char**>(AtomNames), aAtomCount, False, FAtoms.data());
  // The signal handlers are in place since the program started; from here the watch turns a
  // signal or a destroyed host window into the end of the loop.
  FWatch = native::WatchForEnd(Foreign() ? std::make_unique<TXWindowWatch>(drawn) : nullptr, [this] { FEndAsked = true; });
  if (!OpenWindows()) return TOpened::No;
  if (FOptions.Mode == TRunMode::rmSaver) PointerStartsHere();
  // This early only a board that could not be made ends the run.
  return FScreens->Start() && FScreens->ExitStatus() == 0 ? TOpened::Yes : TOpened::No;
}

unsigned long TX11Shell::CreateWindow(const TRect& bounds, bool saver) {
  Display* d = FDisplay;
  const std::vector<Atom>& atoms = FAtoms;
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;  // no flash of a background before the board
  attributes.event_mask =
      KeyPressMask | ButtonPressMask | PointerMotionMask | StructureNotifyMask | ExposureMask | FocusChangeMask;
  attributes.cursor = saver ? FBlankCursor : None;
  const Window window =
      XCreateWindow(d, DefaultRootWindow(d), bounds.Left, bounds.Top, static_cast<unsigned>(bounds.Width()),
                    static_cast<unsigned>(bounds.Height()), 0, CopyFromParent, InputOutput, CopyFromParent,
                    CWBackPixmap | CWEventMask | CWCursor, &attributes);

  XSizeHints* size = XAllocSizeHints();
  if (saver) {
    size->flags = USPosition | USSize;
    size->x = bounds.Left;
    size->y = bounds.Top;
    size->width = bounds.Width();
    size->height = bounds.Height();
  } else {
    // A window manager keeps it within the board's limits; without one it may still grow past them.
    size->flags = PMaxSize;
    size->max_width = size->max_height = MaxSurfaceSide;
  }
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  char title[] = "Detonix";
  char* titles[] = {title};
  XTextProperty name{};
  XStringListToTextProperty(titles, 1, &name);
  char resName[] = "detonix";
  char resClass[] = "Detonix";
  XClassHint classHint{resName, resClass};
  XSetWMProperties(d, window, &name, &name, nullptr, 0, size, &hints, &classHint);
  XFree(name.value);
  XFree(size);
  XChangeProperty(d, window, atoms[aName], atoms[aUtf8], 8, PropModeReplace, reinterpret_cast<unsigned char*>(title),
                  sizeof title - 1);
  Atom deleteWindow = atoms[aDeleteWindow];
  XSetWMProtocols(d, window, &deleteWindow, 1);
  if (saver) {
    SetCardinals(d, window, atoms[aState], XA_ATOM,
                 {static_cast<long>(atoms[aFullscreen]), static_cast<long>(atoms[aSkipTaskbar]),
                  static_cast<long>(atoms[aSkipPager])});
    SetCardinals(d, window, atoms[aBypassCompositor], XA_CARDINAL, {1});
    // No decorations: flags, functions, decorations, input mode, status.
    SetCardinals(d, window, atoms[aMotifHints], atoms[aMotifHints], {2, 0, 0, 0, 0});
  } else {
    SetIcon(d, window, atoms[aIcon]);
  }
  // Last: who looks for the windows of our process finds them complete.
  SetCardinals(d, window, atoms[aPid], XA_CARDINAL, {static_cast<long>(getpid())});
  return window;
}

bool TX11Shell::OpenWindows() {
  const std::vector<TMonitor> monitors = XMonitors(FDisplay, FOptions.Scale);
  switch (FOptions.Mode) {
    case TRunMode::rmSaver: {
      static const char nothing[1] = {0};
      const Pixmap empty = XCreateBitmapFromData(FDisplay, DefaultRootWindow(FDisplay), nothing, 1, 1);
      XColor black{};
      FBlankCursor = XCreatePixmapCursor(FDisplay, empty, empty, &black, &black, 0, 0);
      XFreePixmap(FDisplay, empty);
      for (const TMonitor& m : DistinctMonitors(monitors)) AddSaverWindow(m);
      // Monitors plugged in, taken away or given a new mode while the saver runs.
      int error = 0;
      if (XRRQueryExtension(FDisplay, &FRandrEvents, &error))
        XRRSelectInput(FDisplay, DefaultRootWindow(FDisplay), RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask);
      else
        FRandrEvents = -1;
      TakeKeyboard(true);
      return true;
    }
    case TRunMode::rmForeign:
    case TRunMode::rmPreview: {
      const Window window = static_cast<Window>(*FOptions.WindowId);
      // Our connection's mask for the window is ours alone; the host's stays as it is.
      XSelectInput(FDisplay, window, StructureNotifyMask | ExposureMask);
      AddWindow(window, false, XMonitorOf(FDisplay, window, monitors, FOptions.Scale));
      return true;
    }
    default: {
      const TMonitor& first = monitors.front();
      const Window window = CreateWindow(DefaultWindowBounds(first), false);
      AddWindow(window, true, first);
      XMapWindow(FDisplay, window);
      return true;
    }
  }
}

size_t TX11Shell::AddSaverWindow(const TMonitor& monitor) {
  const Window window = CreateWindow(monitor.Bounds, true);
  const size_t index = AddWindow(window, true, monitor);
  XMapRaised(FDisplay, window);
  return index;
}

void TX11Shell::TakeKeyboard(bool waitForMap) {
  if (FWindows.empty()) return;
  const Window first = FWindows.front()->XWindow;
  // Ours from the start, so that another window taking the focus is news; and every key is the
  // saver's, wherever the focus was: the first one ends it.
  if (!waitForMap || WaitForMap(FDisplay, first, 1000)) XSetInputFocus(FDisplay, first, RevertToParent, CurrentTime);
  XGrabKeyboard(FDisplay, first, True, GrabModeAsync, GrabModeAsync, CurrentTime);
}

void TX11Shell::PointerStartsHere() {
  Window root = 0;
  Window child = 0;
  int x = 0;
  int y = 0;
  int windowX = 0;
  int windowY = 0;
  unsigned int buttons = 0;
  if (XQueryPointer(FDisplay, DefaultRootWindow(FDisplay), &root, &child, &x, &y, &windowX, &windowY, &buttons))
    FScreens->PointerStartsAt(x, y);
  else
    FScreens->PointerStartUnknown();
}

void TX11Shell::TakeMonitorChanges() {
  XEvent event;
  bool changed = false;
  while (XCheckTypedEvent(FDisplay, FRandrEvents + RRScreenChangeNotify, &event) ||
         XCheckTypedEvent(FDisplay, FRandrEvents + RRNotify, &event)) {
    XRRUpdateConfiguration(&event);
    changed = true;
  }
  if (!changed) return;
  FMonitorsChanged = true;
  // A screen that shrinks moves the pointer onto it: no move of the user's.
  while (XCheckTypedEvent(FDisplay, MotionNotify, &event)) {
  }
}

void TX11Shell::FollowMonitors() {
  const TSaverScreens::TMonitorChanges changes = FScreens->MonitorsChanged(XMonitors(FDisplay, FOptions.Scale));
  std::erase_if(FWindows, [this](const auto& w) { return FScreens->Removed(w->Index); });
  for (const size_t i : changes.Changed)
    for (auto& w : FWindows)
      if (w->Index == i) {
        const TRect& b = FScreens->Monitor(i).Bounds;
        XMoveResizeWindow(FDisplay, w->XWindow, b.Left, b.Top, static_cast<unsigned>(b.Width()),
                          static_cast<unsigned>(b.Height()));
      }
  for (const TMonitor& m : changes.Added) FScreens->Build(AddSaverWindow(m));
  // The keys go to a window that is still there, whatever the change did to the focus.
  TakeKeyboard(false);
  PointerStartsHere();
  FPointerSettling = 2;
}

size_t TX11Shell::AddWindow(unsigned long window, bool own, const TMonitor& monitor) {
  int width = monitor.Bounds.Width();
  int height = monitor.Bounds.Height();
  XWindowAttributes attributes;
  if (XGetWindowAttributes(FDisplay, window, &attributes)) {
    width = attributes.width;
    height = attributes.height;
  }
  auto& added = *FWindows.emplace_back(std::make_unique<TX11Window>(FDisplay, window, FScreens->Count(), own, width, height));
  return FScreens->Add(added, monitor);
}

TX11Window* TX11Shell::WindowOf(unsigned long window) {
  for (auto& w : FWindows)
    if (w->XWindow == window) return w.get();
  return nullptr;
}

void TX11Shell::HandleEvent(XEvent& event) {
  if (FRandrEvents >= 0 &&
      (event.type == FRandrEvents + RRScreenChangeNotify || event.type == FRandrEvents + RRNotify)) {
    XRRUpdateConfiguration(&event);
    FMonitorsChanged = true;
    return;
  }
  TX11Window* window = WindowOf(event.xany.window);
  if (!window) return;
  switch (event.type) {
    case KeyPress: {
      // The window's own ways out (Ctrl+Q is a q too); the saver ends on any key by its rule.
      const KeySym key = XLookupKeysym(&event.xkey, 0);
      FScreens->Key(window->Index, key == XK_Escape ? THostKey::Escape : key == XK_q ? THostKey::Q : THostKey::Other);
      break;
    }
    case ButtonPress:  // every button, the wheel and the extra (back and forward) ones too
      FScreens->Click(window->Index);
      break;
    case MotionNotify:
      // Just after a change of the monitors the server may still be moving the pointer onto them.
      if (FPointerSettling > 0) FScreens->PointerStartsAt(event.xmotion.x_root, event.xmotion.y_root);
      else FScreens->PointerMoved(window->Index, event.xmotion.x_root, event.xmotion.y_root);
      break;
    case ConfigureNotify:
      if (window->SizeIs(event.xconfigure.width, event.xconfigure.height)) FScreens->Resized(window->Index);
      break;
    case Expose:
      if (event.xexpose.count == 0) FScreens->Exposed(window->Index);
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == window->XWindow) WindowGone(*window);
      break;
    case ClientMessage:
      // The window manager's close button.
      if (event.xclient.format == 32 && static_cast<Atom>(event.xclient.data.l[0]) == FAtoms[aDeleteWindow])
        FScreens->Quit();
      break;
    case FocusOut:
      FFocusLost = true;
      break;
    default:
      break;
  }
}

void TX11Shell::WindowGone(TX11Window& window) {
  window.Gone = true;
  FScreens->WindowGone(window.Index);
}

void TX11Shell::HandleQueued(int mode) {
  while (!FScreens->QuitAsked() && !FScreens->Ended() && XEventsQueued(FDisplay, mode) > 0) {
    XEvent event;
    XNextEvent(FDisplay, &event);
    HandleEvent(event);
  }
}

bool TX11Shell::HandleEvents() {
  if (FEndAsked) FScreens->Quit();
  if (FLook) {
    // The monitors' changes first: what they did to the pointer is not the user's.
    if (FRandrEvents >= 0 && XEventsQueued(FDisplay, QueuedAfterFlush) > 0) TakeMonitorChanges();
    HandleQueued(QueuedAfterFlush);
  }
  FLook = true;
  if (FPointerSettling > 0) --FPointerSettling;
  if (std::exchange(FMonitorsChanged, false) && !FScreens->QuitAsked()) FollowMonitors();
  // Judged once the queue is read: the focus may have passed on to the window of another of our
  // monitors, or gone with a window destroyed under us.
  if (std::exchange(FFocusLost, false) && !FScreens->QuitAsked() && FOptions.Mode == TRunMode::rmSaver) {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(FDisplay, &focus, &revert);
    // A window destroyed under us loses the focus first: its end is told by the events that came
    // before the answer.
    HandleQueued(QueuedAlready);
    if (!FScreens->QuitAsked() && !WindowOf(focus)) FScreens->KeyboardTaken();
  }
  // A destroyed window shows up as failed requests before the notice arrives.
  if (!FScreens->QuitAsked() && TakeXWindowError())
    for (auto& window : FWindows)
      if (!window->Gone && !XWindowExists(FDisplay, window->XWindow)) WindowGone(*window);
  return true;
}

void TX11Shell::Wait(std::optional<int64_t> ms) {
  // Sleep until the next timer is due, an event arrives or the watch asks for the end.
  const int timeout = ms ? static_cast<int>(std::min<int64_t>(*ms, INT_MAX)) : -1;
  if (timeout == 0) return;
  FLook = WaitForXInput(FX, FWatch->EndedFd(), timeout);
}

std::shared_ptr<TSoundOutput> TX11Shell::MakeSound() { return std::make_shared<native::TSdlSoundOutput>(); }

int TX11Shell::Loop() {
  FScreens->Run();
  FScreens->Stop();
  return FScreens->ExitStatus();
}

}  // namespace detonix::x11
