#include "shell/wayland/ShmPicture.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <wayland-client.h>

namespace detonix::wayland {

namespace {

// Beyond this many rectangles a list is one rectangle around them all: a buffer the compositor
// keeps for long (a hidden window) must not collect every cell of every frame meanwhile.
constexpr size_t MaxRects = 128;

const wl_buffer_listener BufferListener = {
    .release = [](void* data, wl_buffer*) { *static_cast<bool*>(data) = false; },
};

}  // namespace

void TShmPicture::TFreeDeleter::operator()(void* p) const { std::free(p); }

std::unique_ptr<TShmPicture> TShmPicture::Create(wl_shm* shm, int width, int height) {
  std::unique_ptr<TShmPicture> picture(new TShmPicture(width, height));
  const size_t size = static_cast<size_t>(picture->Pitch()) * static_cast<size_t>(height);
  const auto fail = [&](const char* what) {
    std::fprintf(stderr, "detonix: no picture for the window: %s for %d by %d pixels: %s\n", what, width, height,
                 std::strerror(errno));
    return nullptr;
  };
  // Untouched until drawn: fresh pages from the kernel, as are the buffers'.
  picture->FPixels.reset(std::calloc(size, 1));
  if (!picture->FPixels) return fail("no memory");
  const int fd = memfd_create("detonix", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) return fail("no shared memory");
  void* mapping = MAP_FAILED;
  if (ftruncate(fd, static_cast<off_t>(2 * size)) == 0)
    mapping = mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (mapping == MAP_FAILED) {
    close(fd);
    return fail("no shared memory");
  }
  // The compositor may trust its mapping: the memory cannot shrink under it.
  fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL);
  picture->FMapping = mapping;
  picture->FMappingSize = 2 * size;
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(2 * size));
  for (size_t i = 0; i < 2; ++i) {
    TBuffer& b = picture->FBuffers[i];
    b.Data = static_cast<uint8_t*>(mapping) + i * size;
    b.Buffer = wl_shm_pool_create_buffer(pool, static_cast<int32_t>(i * size), width, height, picture->Pitch(),
                                         WL_SHM_FORMAT_XRGB8888);
    wl_buffer_add_listener(b.Buffer, &BufferListener, &b.Busy);
    b.Missing.push_back(TRect{0, 0, width, height});
  }
  // The buffers keep the pool's memory for as long as the compositor needs it.
  wl_shm_pool_destroy(pool);
  close(fd);
  return picture;
}

TShmPicture::~TShmPicture() {
  // A buffer the compositor still shows stays on the screen until the surface gets another.
  for (TBuffer& b : FBuffers)
    if (b.Buffer) wl_buffer_destroy(b.Buffer);
  if (FMapping) munmap(FMapping, FMappingSize);
}

void TShmPicture::Add(std::vector<TRect>& to, const TRect& r) {
  if (!to.empty() && to.back() == r) return;
  if (to.size() < MaxRects) {
    to.push_back(r);
    return;
  }
  TRect all = r;
  for (const TRect& t : to) all = all.Union(t);
  to.assign(1, all);
}

void TShmPicture::Changed(const std::vector<TRect>& rects) {
  const TRect bounds{0, 0, FWidth, FHeight};
  for (const TRect& changed : rects) {
    const TRect r = changed.Intersect(bounds);
    if (r.IsEmpty()) continue;
    Add(FDamage, r);
    for (TBuffer& b : FBuffers) Add(b.Missing, r);
  }
}

void TShmPicture::Copy(const TRect& r, TBuffer& to) const {
  const size_t pitch = static_cast<size_t>(Pitch());
  const size_t offset = static_cast<size_t>(r.Top) * pitch + static_cast<size_t>(r.Left) * 4;
  const size_t bytes = static_cast<size_t>(r.Width()) * 4;
  const uint8_t* from = static_cast<const uint8_t*>(FPixels.get()) + offset;
  uint8_t* into = to.Data + offset;
  for (int y = r.Top; y < r.Bottom; ++y, from += pitch, into += pitch) std::memcpy(into, from, bytes);
}

bool TShmPicture::Attach(wl_surface* surface) {
  // The one shown last, if the compositor let it go already (it copies buffers, or showed the
  // other since): it lacks least.
  TBuffer* free = !FBuffers[FLast].Busy ? &FBuffers[FLast] : !FBuffers[1 - FLast].Busy ? &FBuffers[1 - FLast] : nullptr;
  if (!free) return false;
  for (const TRect& r : free->Missing) Copy(r, *free);
  free->Missing.clear();
  wl_surface_attach(surface, free->Buffer, 0, 0);
  for (const TRect& r : FDamage) wl_surface_damage_buffer(surface, r.Left, r.Top, r.Width(), r.Height());
  FDamage.clear();
  free->Busy = true;
  FLast = static_cast<size_t>(free - FBuffers);
  FShown = true;
  return true;
}

}  // namespace detonix::wayland
