#include "shell/x11/XPicture.h"

#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <xcb/shm.h>

#include "native/EndWatch.h"
#include "shell/x11/XSupport.h"

namespace detonix::x11 {

namespace {

bool Xrgb(const XWindowAttributes& attributes) {
  const Visual* visual = attributes.visual;
  return attributes.depth == 24 && visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 &&
         visual->blue_mask == 0xff;
}

bool NativeOrder(const XImage& image) {
  return image.byte_order == (std::endian::native == std::endian::little ? LSBFirst : MSBFirst);
}

// The bits a pixel of DEPTH takes in an image the server reads.
int BitsPerPixel(Display* display, Visual* visual, int depth) {
  XImage* probe = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr, 1, 1, 32, 0);
  if (!probe) return 0;
  const int bits = probe->bits_per_pixel;
  XDestroyImage(probe);
  return bits;
}

// One 8-bit channel of XRGB spread over MASK: tables of each channel's share of a pixel.
std::array<uint32_t, 256> ChannelTable(unsigned long mask) {
  std::array<uint32_t, 256> table{};
  if (mask == 0) return table;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  for (uint32_t v = 0; v < 256; ++v) {
    // More than 8 bits repeat the top ones, so that white stays white.
    const uint32_t wide = bits >= 8 ? (v << (bits - 8)) | (bits > 8 ? v >> (16 - bits) : 0) : v >> (8 - bits);
    table[v] = static_cast<uint32_t>((static_cast<unsigned long>(wide) << shift) & mask);
  }
  return table;
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
  // Other than 24-bit XRGB: the game's pixels, converted into the image as they are shown.
  std::vector<uint32_t> Own;
  int Width = 0;
  std::array<uint32_t, 256> Red{}, Green{}, Blue{};

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
  bool Share(Visual* visual, int depth, int width, int height) {
    if (!XShmQueryExtension(XDisplay)) return false;
    Image = XShmCreateImage(XDisplay, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &Segment,
                            static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!Image || !Layout()) return false;
    void* memory = reinterpret_cast<void*>(-1);
    {
      // Made, attached and marked to go once both sides have let go of it, however the program ends:
      // no end of the process in between, which would leave the segment behind for good.
      const native::TEndWatch::THold hold;
      Segment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(Image->bytes_per_line) * static_cast<size_t>(height),
                             IPC_CREAT | 0600);
      if (Segment.shmid < 0) return false;
      memory = shmat(Segment.shmid, nullptr, 0);
      shmctl(Segment.shmid, IPC_RMID, nullptr);
    }
    if (memory == reinterpret_cast<void*>(-1)) return false;
    Segment.shmaddr = Image->data = static_cast<char*>(memory);
    Segment.readOnly = False;
    // The server refuses memory it cannot reach with an error, which here only means no.
    Attached = ProbeX(XDisplay, [this] { return XShmAttach(XDisplay, &Segment) != 0; });
    return Attached;
  }

  // Pixels of our own, sent through the connection.
  bool Plain(Visual* visual, int depth, int width, int height) {
    Image = XCreateImage(XDisplay, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr, static_cast<unsigned>(width),
                         static_cast<unsigned>(height), 32, 0);
    if (!Image) return false;
    Image->data = static_cast<char*>(std::calloc(static_cast<size_t>(Image->bytes_per_line) * static_cast<size_t>(height), 1));
    return Image->data && Layout();
  }

  // 32-bit XRGB in our byte order is drawn into directly; 16 and 32-bit pixels of another layout
  // are converted.
  bool Layout() {
    const XImage& image = *Image;
    const bool xrgb = image.depth == 24 && image.bits_per_pixel == 32 && NativeOrder(image) &&
                      image.red_mask == 0xff0000 && image.green_mask == 0xff00 && image.blue_mask == 0xff;
    if (xrgb) return true;
    if (image.bits_per_pixel != 16 && image.bits_per_pixel != 32) return false;
    Width = image.width;
    Own.assign(static_cast<size_t>(image.width) * static_cast<size_t>(image.height), 0);
    Red = ChannelTable(image.red_mask);
    Green = ChannelTable(image.green_mask);
    Blue = ChannelTable(image.blue_mask);
    return true;
  }

  void Convert(const TRect& r) {
    const XImage& image = *Image;
    const bool swap = !NativeOrder(image);
    for (int y = r.Top; y < r.Bottom; ++y) {
      const uint32_t* from = Own.data() + static_cast<size_t>(y) * static_cast<size_t>(Width);
      char* row = image.data + static_cast<size_t>(y) * static_cast<size_t>(image.bytes_per_line);
      for (int x = r.Left; x < r.Right; ++x) {
        const uint32_t p = from[x];
        const uint32_t v = Red[(p >> 16) & 0xff] | Green[(p >> 8) & 0xff] | Blue[p & 0xff];
        if (image.bits_per_pixel == 16) {
          uint16_t v16 = static_cast<uint16_t>(v);
          if (swap) v16 = static_cast<uint16_t>((v16 >> 8) | (v16 << 8));
          std::memcpy(row + 2 * x, &v16, 2);
        } else {
          const uint32_t v32 = swap ? __builtin_bswap32(v) : v;
          std::memcpy(row + 4 * x, &v32, 4);
        }
      }
    }
  }
};

TXPicture::TXPicture(std::unique_ptr<TParts> parts) : FParts(std::move(parts)) {}

TXPicture::~TXPicture() = default;

std::string TXPicture::Unfit(Display* display, unsigned long window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return "its attributes cannot be read";
  if (attributes.c_class == InputOnly) return "it is an input-only window, which has no pixels";
  if (Xrgb(attributes)) return {};
  const int cls = attributes.visual->c_class;
  if (cls != TrueColor && cls != DirectColor)
    return "its pixels of depth " + std::to_string(attributes.depth) + " are not true colour";
  const int bits = BitsPerPixel(display, attributes.visual, attributes.depth);
  if (bits != 16 && bits != 32) return "its pixels take " + std::to_string(bits) + " bits";
  return {};
}

std::unique_ptr<TXPicture> TXPicture::Create(Display* display, unsigned long window, int width, int height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || !Unfit(display, window).empty()) return nullptr;
  auto p = std::make_unique<TParts>();
  p->XDisplay = display;
  p->XWindow = window;
  if (!p->Share(attributes.visual, attributes.depth, width, height)) {
    auto plain = std::make_unique<TParts>();
    plain->XDisplay = display;
    plain->XWindow = window;
    p.reset();
    if (!plain->Plain(attributes.visual, attributes.depth, width, height)) return nullptr;
    p = std::move(plain);
  }
  p->Gc = XCreateGC(display, window, 0, nullptr);
  p->Connection = XGetXCBConnection(display);
  return std::unique_ptr<TXPicture>(new TXPicture(std::move(p)));
}

void* TXPicture::Pixels() const {
  return FParts->Own.empty() ? static_cast<void*>(FParts->Image->data) : FParts->Own.data();
}

int TXPicture::Pitch() const { return FParts->Own.empty() ? FParts->Image->bytes_per_line : FParts->Width * 4; }

bool TXPicture::Shared() const { return FParts->Attached; }

void TXPicture::Present(const std::vector<TRect>& rects) {
  TParts& p = *FParts;
  const XImage& image = *p.Image;
  if (!p.Own.empty())
    for (const TRect& r : rects) p.Convert(r.Intersect({0, 0, image.width, image.height}));
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
