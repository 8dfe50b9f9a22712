#include "media/SoundOutput.h"

#if !defined(_WIN32) || defined(_GLIBCXX_HAS_GTHREADS)
#include <thread>
#define DETONIX_HAVE_STD_THREAD 1
#endif

namespace detonix {

void TSoundOutput::StartWorker(std::function<void()> body) {
#ifdef DETONIX_HAVE_STD_THREAD
  std::thread(std::move(body)).detach();
#else
  // A Windows build without std::thread: asynchronous play returns at once anyway, so the body
  // runs here unless the shell's output starts a thread of its own.
  body();
#endif
}

}  // namespace detonix
