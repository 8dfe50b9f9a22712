#pragma once

#include <memory>
#include <vector>

#include "platform/GraphicsTypes.h"

struct _XDisplay;  // Xlib's Display

namespace detonix::x11 {

// The pixels of an X11 window, 32-bit XRGB. Where the server shares memory with us (not across a
// network) they live in that memory, and presenting sends only the changed rectangles' places:
// no waiting for the server's answer, no copy through the connection.
class TXPicture {
 public:
  // Whether WINDOW's pixels are 24-bit XRGB, the only ones a picture is made for.
  static bool Fits(_XDisplay* display, unsigned long window);
  // Nothing when the window's pixels are not 24-bit XRGB (or the memory cannot be had).
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
