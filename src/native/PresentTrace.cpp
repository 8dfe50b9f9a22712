#include "native/PresentTrace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace detonix::native {

namespace {

using TClock = std::chrono::steady_clock;

// Digits, spaces and line ends only: what a trace holds.
bool LooksLikeTrace(int fd) {
  char head[256];
  const ssize_t n = pread(fd, head, sizeof head, 0);
  if (n < 0) return false;
  for (ssize_t i = 0; i < n; ++i)
    if (!(head[i] >= '0' && head[i] <= '9') && head[i] != ' ' && head[i] != '\n') return false;
  return true;
}

class TPresentTrace {
 public:
  TPresentTrace(std::string path, std::FILE* file) : FPath(std::move(path)), FFile(file) {}
  ~TPresentTrace() {
    if (FFile && std::fclose(FFile) != 0) Stop(std::strerror(errno));
  }
  TPresentTrace(const TPresentTrace&) = delete;
  TPresentTrace& operator=(const TPresentTrace&) = delete;

  void Write(const std::vector<TRect>& rects) {
    if (!FFile) return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - FStart).count();
    int n = std::fprintf(FFile, "%lld", static_cast<long long>(ms));
    for (const TRect& r : rects) n += std::fprintf(FFile, " %d %d %d %d", r.Left, r.Top, r.Width(), r.Height());
    n += std::fputc('\n', FFile) == EOF ? -1 : 1;
    FBytes += n;
    if (std::ferror(FFile)) return Stop(std::strerror(errno));
    if (FBytes >= MaxTraceBytes) Stop("it is full");
  }

 private:
  void Stop(const char* why) {
    std::fprintf(stderr, "detonix: the present trace %s stops here: %s\n", FPath.c_str(), why);
    if (FFile) std::fclose(FFile);
    FFile = nullptr;
  }

  const std::string FPath;
  std::FILE* FFile;
  const TClock::time_point FStart = TClock::now();
  long long FBytes = 0;
};

}  // namespace

std::function<void(const std::vector<TRect>&)> OpenPresentTrace() {
  const char* path = std::getenv("DETONIX_PRESENT_TRACE");
  if (!path || !*path) return {};
  const auto refuse = [path](const char* why) {
    std::fprintf(stderr, "detonix: no present trace in %s: %s\n", path, why);
    return std::function<void(const std::vector<TRect>&)>{};
  };
  const int fd = open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return refuse(errno == ELOOP ? "it is a symbolic link" : std::strerror(errno));
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || !LooksLikeTrace(fd) || ftruncate(fd, 0) != 0) {
    close(fd);
    return refuse("it is not a present trace to replace");
  }
  std::FILE* file = fdopen(fd, "w");
  if (!file) {
    close(fd);
    return refuse(std::strerror(errno));
  }
  // Written when full and at the end: no write of its own for each frame.
  std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
  auto trace = std::make_shared<TPresentTrace>(path, file);
  return [trace](const std::vector<TRect>& rects) { trace->Write(rects); };
}

}  // namespace detonix::native
