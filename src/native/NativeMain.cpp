// detonix: the native Linux program. Plays in a window, full screen, or inside an X11 window that a
// saver host hands it; on Wayland through a back end of its own, on X11 through Xlib.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "commandline/ShellOptions.h"
#include "native/EndWatch.h"
#include "native/ProgramRun.h"
#include "shell/x11/X11Shell.h"
#ifdef DETONIX_WAYLAND
#include "shell/wayland/WaylandShell.h"
#endif

namespace {

// A saver host may start us with standard input, output or error closed. The next descriptor
// opened would take that number, and a warning meant for standard error would land in the X
// connection or the signal pipe: each closed one is /dev/null before anything else is opened.
void OpenStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

enum class TBackEnd { X11, Wayland };

// A host's window is an X11 window; DETONIX_BACKEND names one; otherwise Wayland where a Wayland
// session says so (its DISPLAY is XWayland's, a second-best), else X11.
TBackEnd FirstBackEnd(const detonix::commandline::TShellOptions& options) {
  using detonix::TRunMode;
  if (options.Mode == TRunMode::rmForeign || options.Mode == TRunMode::rmPreview) return TBackEnd::X11;
  const std::string forced = Env("DETONIX_BACKEND");
  if (forced == "x11") return TBackEnd::X11;
  if (forced == "wayland" || !Env("WAYLAND_DISPLAY").empty()) return TBackEnd::Wayland;
  return TBackEnd::X11;
}

// Runs a back end's shell: its exit status, or nothing when its display is not there.
template <typename TShell>
std::optional<int> RunOn(const detonix::commandline::TShellOptions& options) {
  TShell shell(options);
  switch (shell.Open()) {
    case TShell::TOpened::Yes:
      return shell.Loop();
    case TShell::TOpened::No:
      return 1;
    default:
      return std::nullopt;
  }
}

std::optional<int> Run(TBackEnd backEnd, const detonix::commandline::TShellOptions& options) {
#ifdef DETONIX_WAYLAND
  if (backEnd == TBackEnd::Wayland) return RunOn<detonix::wayland::TWaylandShell>(options);
#else
  if (backEnd == TBackEnd::Wayland) return std::nullopt;
#endif
  return RunOn<detonix::x11::TX11Shell>(options);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace detonix;
  using native::TEndWatch;
  OpenStandardDescriptors();
  const std::optional<commandline::TShellOptions> options = native::OptionsOf(argc, argv);
  if (!options) return 2;
  if (const auto status = native::RunWithoutDisplay(*options)) return *status;
  // From the first instant a game may be asked to end: a SIGTERM before the windows are up ends
  // the program by that signal too.
  TEndWatch::InstallSignalHandlers();
  const TBackEnd first = FirstBackEnd(*options);
  std::optional<int> status = Run(first, *options);  // the display is closed before a signal ends the process
  // Where the one named is not there, the other; unless one was forced.
  if (!status && Env("DETONIX_BACKEND").empty() && first == TBackEnd::Wayland) status = Run(TBackEnd::X11, *options);
  TEndWatch::EndByTheSignalSeen();
  if (status) return *status;
  std::fprintf(stderr,
               "detonix: cannot open the display: no X11 or Wayland display is reachable (DISPLAY is '%s', "
               "WAYLAND_DISPLAY is '%s')\n",
               Env("DISPLAY").c_str(), Env("WAYLAND_DISPLAY").c_str());
  return 1;
}
