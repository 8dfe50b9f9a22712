#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace detonix {

// STATUS, once everything meant for standard output is written out. Output lost to a full disk
// or a closed pipe is a failure the caller must hear of, not a silent success.
inline int FinishStandardOutput(const char* program, int status) {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  const int error = errno;
  std::fprintf(stderr, "%s: cannot write standard output%s%s\n", program, error != 0 ? ": " : "",
               error != 0 ? std::strerror(error) : "");
  return status == 0 ? 1 : status;
}

}  // namespace detonix
