#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/GraphicsTypes.h"

struct wl_buffer;
struct wl_shm;
struct wl_surface;

namespace detonix::wayland {

// The pixels of a Wayland window, 32-bit XRGB. The game draws into a picture of our own;
// presenting copies the changed rectangles into one of two buffers in memory shared with the
// compositor and attaches it with only those rectangles damaged. The compositor may read a
// buffer until it releases it, so the next present goes into the other one, which first gets
// the rectangles it missed meanwhile: each buffer is whole when it is shown.
class TShmPicture {
 public:
  // Nothing when the memory cannot be had (said on standard error).
  static std::unique_ptr<TShmPicture> Create(wl_shm* shm, int width, int height);
  ~TShmPicture();
  TShmPicture(const TShmPicture&) = delete;
  TShmPicture& operator=(const TShmPicture&) = delete;

  void* Pixels() const { return FPixels.get(); }
  int Pitch() const { return FWidth * 4; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  // The game drew these rectangles.
  void Changed(const std::vector<TRect>& rects);
  // Something drawn is not on the screen yet.
  bool Pending() const { return !FDamage.empty(); }
  // Whether a buffer of this picture was ever attached: the first one brings its size and scale.
  bool Shown() const { return FShown; }
  // Attaches a free buffer, complete, to SURFACE with the rectangles drawn since the last attach
  // as its damage; the caller commits. False while the compositor holds both (Pending stays).
  bool Attach(wl_surface* surface);

 private:
  struct TBuffer {
    wl_buffer* Buffer = nullptr;
    uint8_t* Data = nullptr;
    bool Busy = false;  // attached, and not released by the compositor since
    std::vector<TRect> Missing;  // drawn since this buffer was last brought up to date
  };
  struct TFreeDeleter {
    void operator()(void* p) const;
  };

  TShmPicture(int width, int height) : FWidth(width), FHeight(height) {}
  void Copy(const TRect& r, TBuffer& to) const;
  static void Add(std::vector<TRect>& to, const TRect& r);

  const int FWidth;
  const int FHeight;
  std::unique_ptr<void, TFreeDeleter> FPixels;
  void* FMapping = nullptr;  // both buffers
  size_t FMappingSize = 0;
  TBuffer FBuffers[2];
  size_t FLast = 0;  // the buffer attached last
  std::vector<TRect> FDamage;
  bool FShown = false;
};

}  // namespace detonix::wayland
