// Any bytes as a settings file: loading never throws, what is saved reads back the same, and saving
// what was read keeps every byte of the file (adding only the values it lacked after it).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "settings/FileSettingsStore.h"
#include "settings/Settings.h"

namespace {

const std::filesystem::path& WorkFile() {
  static const std::filesystem::path file = [] {
    const auto dir = std::filesystem::temp_directory_path() / ("detonix-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir / "detonix.conf";
  }();
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path& file = WorkFile();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  detonix::TFileSettingsStore store(file);
  const detonix::TSettings loaded = detonix::LoadSettings(store);  // must not throw
  try {
    detonix::SaveSettings(store, loaded);
  } catch (const std::exception&) {
    return 0;  // a file the store refuses to rewrite (too large) stays as it was
  }
  const detonix::TSettings again = detonix::LoadSettings(store);
  if (!(again == loaded)) {
    std::fprintf(stderr, "saved settings read back differently\n");
    std::abort();
  }
  std::ifstream in(file, std::ios::binary);
  const std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (now.compare(0, size, reinterpret_cast<const char*>(data), size) != 0) {
    std::fprintf(stderr, "saving what was read changed the file's bytes\n");
    std::abort();
  }
  return 0;
}
