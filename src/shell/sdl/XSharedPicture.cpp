#include "shell/sdl/XSharedPicture.h"

#include <bit>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <xcb/shm.h>

#include "shell/sdl/XWindow.h"

namespace detonix::sdl {

struct TXSharedPicture::TParts {
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
  if (!X11WindowOf(window, display, p->XWindow) || !XShmQueryExtension(display)) return nullptr;
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
  p->Attached = ProbeX(display, [&p] { return XShmAttach(p->XDisplay, &p->Segment) != 0; });
  if (!p->Attached) return nullptr;
  p->Gc = XCreateGC(display, p->XWindow, 0, nullptr);
  p->Connection = XGetXCBConnection(display);
  return std::unique_ptr<TXSharedPicture>(new TXSharedPicture(std::move(p)));
}

void* TXSharedPicture::Pixels() const { return FParts->Image->data; }

int TXSharedPicture::Pitch() const { return FParts->Image->bytes_per_line; }

void TXSharedPicture::Present(const SDL_Rect* rects, int count) {
  // No waiting for the server: the game draws again only at its next timer, long after the server
  // has copied these; should it lag, it copies a newer picture of the same rectangles. Through XCB,
  // whose flush only writes: Xlib's looks for events after every flush, two reads that find
  // nothing. XCB hands Xlib's own requests over first, so the order holds.
  const XImage& image = *FParts->Image;
  for (int i = 0; i < count; ++i) {
    const SDL_Rect& r = rects[i];
    xcb_shm_put_image(FParts->Connection, static_cast<xcb_drawable_t>(FParts->XWindow),
                      static_cast<xcb_gcontext_t>(XGContextFromGC(FParts->Gc)), static_cast<uint16_t>(image.width),
                      static_cast<uint16_t>(image.height), static_cast<int16_t>(r.x), static_cast<int16_t>(r.y),
                      static_cast<uint16_t>(r.w), static_cast<uint16_t>(r.h), static_cast<int16_t>(r.x),
                      static_cast<int16_t>(r.y), static_cast<uint8_t>(image.depth), XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
                      static_cast<xcb_shm_seg_t>(FParts->Segment.shmseg), 0);
  }
  xcb_flush(FParts->Connection);
}

}  // namespace detonix::sdl
