#include "shell/x11/XPicture.h"

#include <bit>
#include <cstdlib>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <xcb/shm.h>

#include "shell/x11/XSupport.h"

namespace detonix::x11 {

namespace {

bool Xrgb(const XWindowAttributes& attributes) {
  const Visual* visual = attributes.visual;
  return attributes.depth == 24 && visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 &&
         visual->blue_mask == 0xff;
}

}  // namespace

struct TXPicture::TParts {
  Display* XDisplay = nullptr;
  Window XWindow = 0;
  xcb_connection_t* Connection = nullptr;
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
      if (Segment.shmaddr) Image->data = nullptr;  // the shared memory, not Xlib's to free
      XDestroyImage(Image);
    }
    if (Gc) XFreeGC(XDisplay, Gc);
  }

  // Shared memory the server attaches; false where it cannot (a server on another machine).
  bool Share(Visual* visual, int width, int height) {
    if (!XShmQueryExtension(XDisplay)) return false;
    Image = XShmCreateImage(XDisplay, visual, 24, ZPixmap, nullptr, &Segment, static_cast<unsigned>(width),
                            static_cast<unsigned>(height));
    if (!Image || !NativeLayout()) return false;
    Segment.shmid =
        shmget(IPC_PRIVATE, static_cast<size_t>(Image->bytes_per_line) * static_cast<size_t>(height), IPC_CREAT | 0600);
    if (Segment.shmid < 0) return false;
    void* memory = shmat(Segment.shmid, nullptr, 0);
    // Freed once both sides have let go of it, however the program ends.
    shmctl(Segment.shmid, IPC_RMID, nullptr);
    if (memory == reinterpret_cast<void*>(-1)) return false;
    Segment.shmaddr = Image->data = static_cast<char*>(memory);
    Segment.readOnly = False;
    // The server refuses memory it cannot reach with an error, which here only means no.
    Attached = ProbeX(XDisplay, [this] { return XShmAttach(XDisplay, &Segment) != 0; });
    return Attached;
  }

  // Pixels of our own, sent through the connection.
  bool Plain(Visual* visual, int width, int height) {
    const size_t pitch = static_cast<size_t>(width) * 4;
    char* data = static_cast<char*>(std::calloc(pitch * static_cast<size_t>(height), 1));
    if (!data) return false;
    Image = XCreateImage(XDisplay, visual, 24, ZPixmap, 0, data, static_cast<unsigned>(width),
                         static_cast<unsigned>(height), 32, static_cast<int>(pitch));
    if (!Image) std::free(data);
    return Image && NativeLayout();
  }

  bool NativeLayout() const {
    const int nativeOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    return Image->bits_per_pixel == 32 && Image->byte_order == nativeOrder;
  }
};

TXPicture::TXPicture(std::unique_ptr<TParts> parts) : FParts(std::move(parts)) {}

TXPicture::~TXPicture() = default;

bool TXPicture::Fits(Display* display, unsigned long window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display, window, &attributes) && Xrgb(attributes);
}

std::unique_ptr<TXPicture> TXPicture::Create(Display* display, unsigned long window, int width, int height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || !Xrgb(attributes)) return nullptr;
  auto p = std::make_unique<TParts>();
  p->XDisplay = display;
  p->XWindow = window;
  if (!p->Share(attributes.visual, width, height)) {
    auto plain = std::make_unique<TParts>();
    plain->XDisplay = display;
    plain->XWindow = window;
    p.reset();
    if (!plain->Plain(attributes.visual, width, height)) return nullptr;
    p = std::move(plain);
  }
  p->Gc = XCreateGC(display, window, 0, nullptr);
  p->Connection = XGetXCBConnection(display);
  return std::unique_ptr<TXPicture>(new TXPicture(std::move(p)));
}

void* TXPicture::Pixels() const { return FParts->Image->data; }

int TXPicture::Pitch() const { return FParts->Image->bytes_per_line; }

bool TXPicture::Shared() const { return FParts->Attached; }

void TXPicture::Present(const std::vector<TRect>& rects) {
  TParts& p = *FParts;
  const XImage& image = *p.Image;
  if (!p.Attached) {
    for (const TRect& r : rects)
      XPutImage(p.XDisplay, p.XWindow, p.Gc, p.Image, r.Left, r.Top, r.Left, r.Top, static_cast<unsigned>(r.Width()),
                static_cast<unsigned>(r.Height()));
    XFlush(p.XDisplay);
    return;
  }
  // No waiting for the server: the game draws again only at its next timer, long after the server
  // has copied these; should it lag, it copies a newer picture of the same rectangles. Through XCB,
  // whose flush only writes: Xlib's looks for events after every flush, two reads that find
  // nothing. XCB hands Xlib's own requests over first, so the order holds.
  for (const TRect& r : rects) {
    xcb_shm_put_image(p.Connection, static_cast<xcb_drawable_t>(p.XWindow),
                      static_cast<xcb_gcontext_t>(XGContextFromGC(p.Gc)), static_cast<uint16_t>(image.width),
                      static_cast<uint16_t>(image.height), static_cast<int16_t>(r.Left), static_cast<int16_t>(r.Top),
                      static_cast<uint16_t>(r.Width()), static_cast<uint16_t>(r.Height()), static_cast<int16_t>(r.Left),
                      static_cast<int16_t>(r.Top), static_cast<uint8_t>(image.depth), XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
                      static_cast<xcb_shm_seg_t>(p.Segment.shmseg), 0);
  }
  xcb_flush(p.Connection);
}

}  // namespace detonix::x11
