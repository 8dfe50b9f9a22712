#include "shell/sdl/XWindow.h"

#include <atomic>
#include <bit>
#include <cstdio>
#include <cstdlib>

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace detonix::sdl {

namespace {

// Xlib calls its error handler as a plain function, so what it learns can only live here.
std::atomic<bool> WindowErrorSeen{false};

int OnXError(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable) {
    WindowErrorSeen = true;
    return 0;
  }
  char text[256] = "";
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "detonix: X error: %s (request %d)\n", text, error->request_code);
  return 0;
}

// Xlib ends the process when the connection breaks in any case; _exit spares the atexit handlers
// of libraries that may wait for a server that is gone.
int OnXIOError(Display*) {
  std::fprintf(stderr, "detonix: lost the connection to the X server\n");
  std::_Exit(1);
}

// An error of a probing request answers its question: no.
std::atomic<bool> ProbeFailed{false};
int IgnoreXError(Display*, XErrorEvent*) {
  ProbeFailed = true;
  return 0;
}

bool WindowInfo(SDL_Window* window, Display*& display, Window& xwindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  display = info.info.x11.display;
  xwindow = info.info.x11.window;
  return true;
}

}  // namespace

void InstallXErrorHandler() {
  XSetErrorHandler(OnXError);
  XSetIOErrorHandler(OnXIOError);
}

bool TakeXWindowError() { return WindowErrorSeen.exchange(false); }

bool XWindowGone(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  return WindowInfo(window, display, xwindow) && !ExistingXWindow(xwindow);
}

std::optional<uint64_t> ExistingXWindow(std::optional<uint64_t> id) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return std::nullopt;
  const Window window = id ? static_cast<Window>(*id) : DefaultRootWindow(display);
  const auto previous = XSetErrorHandler(IgnoreXError);
  XWindowAttributes attributes;
  const bool exists = XGetWindowAttributes(display, window, &attributes) != 0;
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return exists ? std::optional<uint64_t>(window) : std::nullopt;
}

bool WatchForeignWindow(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!WindowInfo(window, display, xwindow)) return false;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, xwindow, &attributes)) return false;
  // Our connection's mask for the window is ours alone; the owner's stays as it is.
  XSelectInput(display, xwindow, attributes.your_event_mask | StructureNotifyMask | ExposureMask);
  XFlush(display);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  return true;
}

bool IsWindowDestroyed(const SDL_Event& event, SDL_Window* window) {
  if (event.type != SDL_SYSWMEVENT || !event.syswm.msg || event.syswm.msg->subsystem != SDL_SYSWM_X11) return false;
  const XEvent& x = event.syswm.msg->msg.x11.event;
  if (x.type != DestroyNotify) return false;
  Display* display = nullptr;
  Window xwindow = 0;
  return WindowInfo(window, display, xwindow) && x.xdestroywindow.window == xwindow;
}

std::optional<bool> WaitForXInput(SDL_Window* window, int wakeFd, int timeoutMs) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!WindowInfo(window, display, xwindow)) return std::nullopt;
  // Events read off the connection while waiting for a reply no longer wake poll.
  if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) || XEventsQueued(display, QueuedAlready) > 0) return true;
  pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {wakeFd, POLLIN, 0}};
  return poll(fds, 2, timeoutMs) != 0;  // a signal (-1) may have queued a quit
}

struct TXSharedPicture::TParts {
  Display* XDisplay = nullptr;
  Window XWindow = 0;
  GC Gc = nullptr;
  XImage* Image = nullptr;
  XShmSegmentInfo Segment{};
  bool Attached = false;

  ~TParts() {
    if (Attached) XShmDetach(XDisplay, &Segment);
    // The server may still be copying from the memory.
    if (XDisplay) XSync(XDisplay, False);
    if (Segment.shmaddr) shmdt(Segment.shmaddr);
    if (Image) {
      Image->data = nullptr;  // the shared memory, not Xlib's to free
      XDestroyImage(Image);
    }
    if (Gc) XFreeGC(XDisplay, Gc);
  }
};

TXSharedPicture::TXSharedPicture(std::unique_ptr<TParts> parts) : FParts(std::move(parts)) {}

TXSharedPicture::~TXSharedPicture() = default;

std::unique_ptr<TXSharedPicture> TXSharedPicture::Create(SDL_Window* window, int width, int height) {
  auto p = std::make_unique<TParts>();
  Display* display = nullptr;
  if (!WindowInfo(window, display, p->XWindow) || !XShmQueryExtension(display)) return nullptr;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, p->XWindow, &attributes)) return nullptr;
  p->XDisplay = display;
  const Visual* visual = attributes.visual;
  if (attributes.depth != 24 || visual->red_mask != 0xff0000 || visual->green_mask != 0xff00 ||
      visual->blue_mask != 0xff)
    return nullptr;
  p->Image = XShmCreateImage(display, attributes.visual, 24, ZPixmap, nullptr, &p->Segment,
                             static_cast<unsigned>(width), static_cast<unsigned>(height));
  const int nativeOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  if (!p->Image || p->Image->bits_per_pixel != 32 || p->Image->byte_order != nativeOrder) return nullptr;
  p->Segment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(p->Image->bytes_per_line) * static_cast<size_t>(height),
                            IPC_CREAT | 0600);
  if (p->Segment.shmid < 0) return nullptr;
  void* memory = shmat(p->Segment.shmid, nullptr, 0);
  // Freed once both sides have let go of it, however the program ends.
  shmctl(p->Segment.shmid, IPC_RMID, nullptr);
  if (memory == reinterpret_cast<void*>(-1)) return nullptr;
  p->Segment.shmaddr = p->Image->data = static_cast<char*>(memory);
  p->Segment.readOnly = False;
  // A server on another machine refuses the memory with an error, which here only means no.
  XSync(display, False);
  ProbeFailed = false;
  const auto previous = XSetErrorHandler(IgnoreXError);
  p->Attached = XShmAttach(display, &p->Segment) != 0;
  XSync(display, False);
  XSetErrorHandler(previous);
  if (ProbeFailed) p->Attached = false;
  if (!p->Attached) return nullptr;
  p->Gc = XCreateGC(display, p->XWindow, 0, nullptr);
  return std::unique_ptr<TXSharedPicture>(new TXSharedPicture(std::move(p)));
}

void* TXSharedPicture::Pixels() const { return FParts->Image->data; }

int TXSharedPicture::Pitch() const { return FParts->Image->bytes_per_line; }

void TXSharedPicture::Present(const SDL_Rect* rects, int count) {
  // No waiting for the server: the game draws again only at its next timer, long after the server
  // has copied these; should it lag, it copies a newer picture of the same rectangles.
  for (int i = 0; i < count; ++i) {
    const SDL_Rect& r = rects[i];
    XShmPutImage(FParts->XDisplay, FParts->XWindow, FParts->Gc, FParts->Image, r.x, r.y, r.x, r.y,
                 static_cast<unsigned>(r.w), static_cast<unsigned>(r.h), False);
  }
  XFlush(FParts->XDisplay);
}

}  // namespace detonix::sdl
