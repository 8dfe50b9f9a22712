#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/GraphicsTypes.h"

struct _XDisplay;  // Xlib's Display

namespace detonix::x11 {

// The pixels of an X11 window, 32-bit XRGB. Where the server shares memory with us (not across a
// network) the image lives in that memory, and presenting sends only the changed rectangles'
// places: no waiting for the server's answer, no copy through the connection. A window whose
// pixels are other true colour (depth 16, 30) gets XRGB pixels of our own, converted into its
// format rectangle by rectangle as they are presented.
class TXPicture {
 public:
  // Why no picture can be made for WINDOW (not true colour, an input-only window); empty if one can.
  static std::string Unfit(_XDisplay* display, unsigned long window);
  // Nothing when the window is unfit (or the memory cannot be had).
  static std::unique_ptr<TXPicture> Create(_XDisplay* display, unsigned long window, int width, int height);
  ~TXPicture();
  TXPicture(const TXPicture&) = delete;
  TXPicture& operator=(const TXPicture&) = delete;

  void* Pixels() const;
  int Pitch() const;
  bool Shared() const;
  void Present(const std::vector<TRect>& rects);

 private:
  struct TParts;
  explicit TXPicture(std::unique_ptr<TParts> parts);
  std::unique_ptr<TParts> FParts;
};

}  // namespace detonix::x11
