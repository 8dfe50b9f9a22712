// detonix-idle: starts the full-screen saver when the desktop is idle, on Wayland compositors,
// GNOME and X11.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "DetonixVersion.h"
#include "idle/IdleOptions.h"
#include "idle/MutterIdle.h"
#include "idle/Watcher.h"
#include "idle/WaylandIdle.h"
#include "idle/XSyncIdle.h"
#include "native/EndWatch.h"
#include "platform/StandardOutput.h"
#include "settings/SettingOptions.h"

namespace {

using namespace detonix;
using namespace detonix::idle;

void Say(const std::string& text) { std::fprintf(stderr, "detonix-idle: %s\n", text.c_str()); }

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The lock that keeps to one watcher for each display, held for the life of the process.
class TDisplayLock {
 public:
  ~TDisplayLock() {
    if (FFd >= 0) close(FFd);
  }
  // False, with WHY said, when another process holds it or it cannot be made.
  bool Take(std::string& why) {
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    if (runtime.empty()) {
      why = "XDG_RUNTIME_DIR is not set: nowhere to keep the lock that allows one watcher for each display";
      return false;
    }
    std::string display = !Env("WAYLAND_DISPLAY").empty() ? Env("WAYLAND_DISPLAY") : Env("DISPLAY");
    for (char& c : display)
      if (c == '/') c = '_';
    const std::string path = runtime + "/detonix-idle." + (display.empty() ? "session" : display) + ".lock";
    FFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (FFd < 0) {
      why = "cannot open " + path + ": " + std::strerror(errno);
      return false;
    }
    if (flock(FFd, LOCK_EX | LOCK_NB) != 0) {
      char holder[32] = "";
      const ssize_t n = pread(FFd, holder, sizeof holder - 1, 0);
      holder[n > 0 ? n : 0] = '\0';
      holder[std::strcspn(holder, "\n")] = '\0';
      why = "another detonix-idle watches this display already (process " + std::string(*holder ? holder : "?") +
            ", holding " + path + ")";
      return false;
    }
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(FFd, 0) != 0 || pwrite(FFd, pid.data(), pid.size(), 0) < 0) {
      // The lock holds all the same; only the message of a second watcher is poorer.
    }
    return true;
  }

 private:
  int FFd = -1;
};

// The detonix installed beside this program.
std::string SaverBeside() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string("detonix") : (self.parent_path() / "detonix").string();
}

uint32_t Milliseconds(double minutes) { return static_cast<uint32_t>(std::lround(minutes * 60000)); }

// The first of the session's ways of telling the idle that answers (GNOME: its idle monitor); WHYS
// gathers why the others did not.
std::unique_ptr<TIdleSource> OpenSource(TIdleTimes times, TSessionBus* bus, bool& gnome, std::vector<std::string>& whys) {
  std::string why;
  std::unique_ptr<TIdleSource> source = OpenWaylandIdle(times, why);
  if (!source) whys.push_back(why);
  if (!source && bus) {
    source = OpenMutterIdle(*bus, times, why);
    gnome = source != nullptr;
    if (!source) whys.push_back(why);
  }
  if (!source && !(source = OpenXSyncIdle(times, why))) whys.push_back(why);
  return source;
}

std::string MinutesText(double minutes) {
  return NumberText(minutes) + (minutes == 1 ? " minute" : " minutes");
}

}  // namespace

int main(int argc, char** argv) {
  using native::TEndWatch;
  const TIdleParse parsed = ParseIdleCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Ok()) {
    std::fprintf(stderr, "detonix-idle: %s\nTry 'detonix-idle --help'.\n", parsed.Error.c_str());
    return 2;
  }
  const TIdleOptions& options = parsed.Options;
  if (options.Help || options.Version) {
    if (options.Help) std::fputs(IdleUsageText().c_str(), stdout);
    else std::printf("detonix-idle %.*s\n", static_cast<int>(DetonixVersion.size()), DetonixVersion.data());
    return FinishStandardOutput("detonix-idle", 0);
  }

  TSettings settings = LoadSettingsWarned(*CreateUserSettingsStore(), options.Overrides);
  options.Overrides.ApplyTo(settings);
  const bool locks = !options.LockCommand.empty();
  const TIdleTimes times{.IdleMs = Milliseconds(settings.IdleMinutes),
                         .LockMs = locks ? Milliseconds(settings.IdleMinutes + options.LockAfterMinutes) : 0};
  const std::string saver = SaverBeside();
  if (access(saver.c_str(), X_OK) != 0) {
    Say("no saver to start: " + saver + ": " + std::strerror(errno));
    return 1;
  }
  std::string why;
  TDisplayLock lock;
  if (!lock.Take(why)) {
    Say(why);
    return 1;
  }
  // From here a signal ends the watcher as asked, even before the loop runs.
  TEndWatch::InstallSignalHandlers();
  std::unique_ptr<TSessionBus> bus = TSessionBus::Open(why);
  std::vector<std::string> whys;
  if (!bus) whys.push_back(why);
  bool gnome = false;
  const std::unique_ptr<TIdleSource> source = OpenSource(times, bus.get(), gnome, whys);
  if (!source) {
    std::string all;
    for (const std::string& w : whys) all += (all.empty() ? "" : "; ") + w;
    Say("no idle to watch: " + all);
    return 1;
  }
  int status = 0;
  {
    // The watcher ends the saver within its own grace; only a watcher stuck beyond that is cut short.
    TEndWatch watch(nullptr, nullptr, [] {
      Say("did not end in time; ending at once");
      TEndWatch::EndByTheSignalSeen();
      std::_Exit(1);
    }, 5000);
    TWatcher watcher(*source, bus.get(),
                     {.Saver = saver, .LockCommand = options.LockCommand, .OfferInhibits = !gnome});
    Say("watching " + source->Name() + ": the saver after " + MinutesText(settings.IdleMinutes) + " of idle" +
        (locks ? ", '" + options.LockCommand + "' " + MinutesText(options.LockAfterMinutes) + " later" : "") +
        watcher.InhibitsText());
    status = watcher.Run(watch.EndedFd());
  }
  TEndWatch::EndByTheSignalSeen();
  return status;
}
