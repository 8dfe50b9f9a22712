#include "platform/StartupMemory.h"

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <link.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#endif

namespace detonix {

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
namespace {

// Code that relocations wrote into is private to the process: dropping it would lose them.
bool HasTextRelocations(const dl_phdr_info& info) {
  for (int i = 0; i < info.dlpi_phnum; ++i) {
    const ElfW(Phdr)& ph = info.dlpi_phdr[i];
    if (ph.p_type != PT_DYNAMIC) continue;
    for (auto* d = reinterpret_cast<const ElfW(Dyn)*>(info.dlpi_addr + ph.p_vaddr); d->d_tag != DT_NULL; ++d) {
      if (d->d_tag == DT_TEXTREL || (d->d_tag == DT_FLAGS && (d->d_un.d_val & DF_TEXTREL) != 0)) return true;
    }
  }
  return false;
}

int ReleaseReadOnlySegments(dl_phdr_info* info, size_t, void* pageSize) {
  const uintptr_t page = *static_cast<const uintptr_t*>(pageSize);
  // The kernel's own page of entry points is not a file's.
  if (info->dlpi_name && std::strstr(info->dlpi_name, "linux-vdso")) return 0;
  if (HasTextRelocations(*info)) return 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& ph = info->dlpi_phdr[i];
    if (ph.p_type != PT_LOAD || (ph.p_flags & PF_W) != 0) continue;
    // Whole pages inside the segment only.
    const uintptr_t start = (info->dlpi_addr + ph.p_vaddr + page - 1) & ~(page - 1);
    const uintptr_t end = (info->dlpi_addr + ph.p_vaddr + ph.p_memsz) & ~(page - 1);
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
  }
  return 0;
}

}  // namespace

void ReleaseStartupMemory() {
  uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  dl_iterate_phdr(ReleaseReadOnlySegments, &page);
  malloc_trim(0);
}
#else
void ReleaseStartupMemory() {}
#endif

}  // namespace detonix
