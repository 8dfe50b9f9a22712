#include <cstdio>
#include "settings/FileSettingsStore.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

#include "settings/NameCompare.h"
#include "settings/Settings.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace detonix {

namespace fs = std::filesystem;

namespace {

std::string_view Trim(std::string_view s) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

// One line of the file. Lines without a name (blank, comments, malformed) are only carried along.
struct TLine {
  std::string Text;
  std::string Name;
  std::string Value;
};

TLine ParseLine(std::string text) {
  TLine line;
  const std::string_view t = Trim(text);
  if (!t.empty() && t.front() != '#' && t.front() != ';') {
    const auto eq = t.find('=');
    if (eq != std::string_view::npos) {
      const std::string_view name = Trim(t.substr(0, eq));
      if (!name.empty()) {
        line.Name = name;
        line.Value = Trim(t.substr(eq + 1));
      }
    }
  }
  line.Text = std::move(text);
  return line;
}

template <class T>
std::optional<T> ParseWhole(std::string_view s) {
  T v{};
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// Reads the whole file; nothing when it cannot be read or is far larger than any settings file.
std::optional<std::string> ReadFile(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;  // a folder opens, but reads as nothing
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(MaxSettingsFileBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return std::nullopt;
  text.resize(static_cast<size_t>(in.gcount()));
  if (text.size() > MaxSettingsFileBytes) {
    std::fprintf(stderr, "detonix: %s is larger than %zu bytes; it reads as missing\n", path.string().c_str(),
                 MaxSettingsFileBytes);
    return std::nullopt;
  }
  return text;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Temporary files of saves killed before their rename: their process is gone, or they are older
// than any save takes (a process id may have been given out again).
void RemoveLeftovers(const fs::path& target) {
  constexpr auto StaleAfter = std::chrono::minutes(10);
  const std::string prefix = target.filename().string() + ".tmp.";
  std::error_code ec;
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const std::string_view rest = std::string_view(name).substr(prefix.size());
    const auto dot = rest.find('.');
    const auto pid = ParseWhole<pid_t>(rest.substr(0, dot));
    if (!pid || *pid <= 0 || dot == std::string_view::npos || !ParseWhole<int>(rest.substr(dot + 1))) continue;
    std::error_code timeError;
    const auto age = fs::file_time_type::clock::now() - fs::last_write_time(it->path(), timeError);
    const bool gone = ::kill(*pid, 0) != 0 && errno == ESRCH;
    if (gone || (!timeError && age > StaleAfter)) ::unlink(it->path().c_str());
  }
}

// Writes a temporary file beside TARGET, flushes it to disk and renames it over TARGET.
bool ReplaceFile(const fs::path& target, const std::string& data) {
  RemoveLeftovers(target);
  struct stat old {};
  const bool hadFile = ::stat(target.c_str(), &old) == 0;
  int fd = -1;
  fs::path temp;
  for (int i = 0; i < 100 && fd < 0; ++i) {
    temp = target;
    temp += ".tmp." + std::to_string(::getpid()) + "." + std::to_string(i);
    // 0666 lets the user's umask decide for a new file.
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data);
  if (ok && hadFile) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.
  const int dir = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

class TFileKey final : public TSettingsKey {
 public:
  TFileKey(fs::path path, const std::string& text, bool writable) : FPath(std::move(path)), FWritable(writable) {
    std::string_view rest = text;
    // A byte-order mark from a text editor stays in the file but must not spoil the first name.
    if (rest.starts_with("\xEF\xBB\xBF")) {
      FBom = rest.substr(0, 3);
      rest.remove_prefix(3);
    }
    while (!rest.empty()) {
      const auto nl = rest.find('\n');
      const std::string_view one = rest.substr(0, nl);
      FLines.push_back(ParseLine(std::string(one)));
      rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    }
  }
  ~TFileKey() override { Close(); }

  bool ValueExists(const std::string& name) const override { return Find(name) != nullptr; }

  std::optional<int32_t> ReadInteger(const std::string& name) const override {
    const TLine* line = Find(name);
    return line ? ParseWhole<int32_t>(line->Value) : std::nullopt;
  }

  std::optional<double> ReadDouble(const std::string& name) const override {
    const TLine* line = Find(name);
    return line ? ParseWhole<double>(line->Value) : std::nullopt;
  }

  void WriteInteger(const std::string& name, int32_t value) override { Write(name, std::to_string(value)); }

  void WriteDouble(const std::string& name, double value) override { Write(name, NumberText(value)); }

  bool Close() override {
    if (FClosed) return FCloseResult;
    FClosed = true;
    if (!FDirty) return FCloseResult;
    const std::string text = Text();
    if (text.size() > MaxSettingsFileBytes) {
      // It would read as missing from then on: the file stays as it was.
      std::fprintf(stderr, "detonix: %s would grow past %zu bytes; it is left as it was\n", FPath.c_str(),
                   MaxSettingsFileBytes);
      return FCloseResult = false;
    }
    return FCloseResult = ReplaceFile(FPath, text);
  }

 private:
  // The first line of that name counts; later ones are shadowed.
  const TLine* Find(const std::string& name) const {
    for (const auto& line : FLines)
      if (!line.Name.empty() && SameName(line.Name, name)) return &line;
    return nullptr;
  }

  void Write(const std::string& name, const std::string& value) {
    if (!FWritable || FClosed) return;
    TLine fresh{name + "=" + value, name, value};
    bool placed = false;
    for (auto it = FLines.begin(); it != FLines.end();) {
      if (it->Name.empty() || !SameName(it->Name, name)) {
        ++it;
      } else if (!placed) {
        *it = fresh;
        placed = true;
        ++it;
      } else {
        it = FLines.erase(it);  // a shadowed duplicate would confuse whoever edits the file next
      }
    }
    if (!placed) FLines.push_back(std::move(fresh));
    FDirty = true;
  }

  std::string Text() const {
    std::string text = FBom;
    for (const auto& line : FLines) {
      text += line.Text;
      text += '\n';
    }
    return text;
  }

  fs::path FPath;
  std::string FBom;
  std::vector<TLine> FLines;
  bool FWritable;
  bool FDirty = false;
  bool FClosed = false;
  bool FCloseResult = true;
};

}  // namespace

std::unique_ptr<TSettingsKey> TFileSettingsStore::OpenForReading() {
  if (FPath.empty()) return nullptr;
  try {
    const auto text = ReadFile(FPath);
    if (!text) return nullptr;
    return std::make_unique<TFileKey>(FPath, *text, false);
  } catch (const std::exception&) {
    return nullptr;  // loading never fails: what cannot be read reads as missing
  }
}

std::unique_ptr<TSettingsKey> TFileSettingsStore::OpenForWriting() {
  if (FPath.empty()) return nullptr;
  std::error_code ec;
  // A symbolic link (a dotfile kept elsewhere) stays a link: the file it points to is replaced,
  // or made when it is not there yet. A chain of links is followed, a loop is not.
  fs::path target = FPath;
  for (int hops = 0; fs::is_symlink(target, ec); ++hops) {
    const fs::path next = fs::read_symlink(target, ec);
    if (ec || hops == 40) return nullptr;
    target = fs::weakly_canonical(target.parent_path() / next, ec);
    if (ec) return nullptr;
  }
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), ec);
    if (ec) return nullptr;
  }
  std::string text;
  const auto status = fs::status(target, ec);
  if (fs::exists(status)) {
    // Values we cannot read must not be overwritten with only ours.
    if (!fs::is_regular_file(status)) return nullptr;
    auto old = ReadFile(target);
    if (!old) return nullptr;
    text = std::move(*old);
  }
  return std::make_unique<TFileKey>(target, text, true);
}

namespace {

// flock has no time-out: a repeating alarm interrupts the wait (the handler is installed without
// SA_RESTART) and the wait goes on until the deadline. Repeating, so that an alarm that comes
// just before the wait starts cannot leave it waiting for good. What was set before comes back.
bool LockWithin(int fd, std::chrono::milliseconds wait) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
  if (errno != EWOULDBLOCK) return false;
  struct sigaction interrupt {}, oldAction {};
  interrupt.sa_handler = [](int) {};
  ::sigemptyset(&interrupt.sa_mask);
  ::sigaction(SIGALRM, &interrupt, &oldAction);
  const itimerval tick{{0, 200000}, {0, 200000}};
  itimerval oldTimer{};
  ::setitimer(ITIMER_REAL, &tick, &oldTimer);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  int result;
  do result = ::flock(fd, LOCK_EX);
  while (result != 0 && errno == EINTR && std::chrono::steady_clock::now() < deadline);
  const int error = errno;
  ::setitimer(ITIMER_REAL, &oldTimer, nullptr);
  ::sigaction(SIGALRM, &oldAction, nullptr);
  errno = error;
  return result == 0;
}

}  // namespace

TSettingsFileLock::TSettingsFileLock(const fs::path& settingsFile, std::chrono::milliseconds wait) {
  if (settingsFile.empty()) return;
  std::error_code ec;
  if (settingsFile.has_parent_path()) fs::create_directories(settingsFile.parent_path(), ec);
  fs::path lockFile = settingsFile;
  lockFile += ".lock";
  FFd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  // flock needs no more than a read handle: a lock file someone else made (root, say) still serves.
  if (FFd < 0 && (errno == EACCES || errno == EROFS)) FFd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
  if (FFd < 0) return;
  if (!LockWithin(FFd, wait)) {
    if (errno == EINTR || errno == EWOULDBLOCK)
      std::fprintf(stderr, "detonix: %s is locked by another process; gave up after %lld seconds\n",
                   lockFile.c_str(), static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(wait).count()));
    ::close(FFd);
    FFd = -1;
  }
}

TSettingsFileLock::~TSettingsFileLock() {
  if (FFd >= 0) ::close(FFd);  // closing releases the lock
}

fs::path SettingsFilePath(const char* xdgConfigHome, const char* home) {
  fs::path base;
  if (xdgConfigHome && *xdgConfigHome && fs::path(xdgConfigHome).is_absolute())
    base = xdgConfigHome;
  else if (home && *home)
    base = fs::path(home) / ".config";
  else
    return {};
  return base / "detonix" / "detonix.conf";
}

fs::path DefaultSettingsFilePath() { return SettingsFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")); }

}  // namespace detonix
