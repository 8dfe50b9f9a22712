#include <cstdio>
#include "settings/FileSettingsStore.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
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

// A CR inside a line ends a line to some editors, so such a line may hold more than one value. It
// is never replaced or removed: none of it is lost.
bool HoldsMoreLines(const TLine& line) {
  const auto cr = line.Text.find('\r');
  return cr != std::string::npos && cr + 1 < line.Text.size();
}

template <class T>
std::optional<T> ParseWhole(std::string_view s) {
  T v{};
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::string Failed(const char* doing, const fs::path& path, const std::string& why) {
  return std::string("could not ") + doing + " the settings file " + path.string() + ": " + why;
}

// Reads the whole file; nothing when it cannot be read or is far larger than any settings file,
// with WHY the system's reason, left empty when the file is not there.
std::optional<std::string> ReadFile(const fs::path& path, std::string& why) {
  why.clear();
  // Without waiting: a named pipe in the file's place must not hang the program.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT && errno != ENOTDIR) why = std::strerror(errno);
    return std::nullopt;
  }
  std::string text(MaxSettingsFileBytes + 1, '\0');
  size_t got = 0;
  struct stat st {};
  if (::fstat(fd, &st) != 0) why = std::strerror(errno);
  else if (S_ISDIR(st.st_mode)) why = std::strerror(EISDIR);
  else if (!S_ISREG(st.st_mode)) why = "not a regular file";
  while (why.empty() && got < text.size()) {
    const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno != EINTR) why = std::strerror(errno);
    if (n == 0) break;
    if (n > 0) got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (why.empty() && got > MaxSettingsFileBytes) {
    WarnOnce(path.string() + " is larger than " + std::to_string(MaxSettingsFileBytes) + " bytes; it reads as missing");
    why = std::strerror(EFBIG);
  }
  if (!why.empty()) return std::nullopt;
  text.resize(got);
  return text;
}

// No write permission for us. Root may write any file, but one no one may write is meant to stay.
bool ReadOnly(const fs::path& file, fs::file_status status) {
  constexpr auto anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return (status.permissions() & anyWrite) == fs::perms::none || (::access(file.c_str(), W_OK) != 0 && errno == EACCES);
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

// Writes a temporary file beside TARGET, flushes it to disk and renames it over TARGET: 0, else
// the errno of the step that failed.
int ReplaceFile(const fs::path& target, const std::string& data) {
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
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;
  int error = WriteAll(fd, data) ? 0 : errno;
  if (!error && hadFile && ::fchmod(fd, old.st_mode & 07777) != 0) error = errno;
  if (!error && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error) {
    ::unlink(temp.c_str());
    return error;
  }
  // Make the rename itself durable.
  const int dir = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return 0;
}

class TFileKey final : public TSettingsKey {
 public:
  // WRITABLE: a key for writing, whose failure to close goes into FAILURE.
  TFileKey(fs::path path, const std::string& text, bool writable, std::shared_ptr<std::string> failure)
      : FPath(std::move(path)), FWritable(writable), FFailure(std::move(failure)) {
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

  std::string StoredText(const std::string& name) const override {
    const TLine* line = Find(name);
    return line ? line->Value : std::string();
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
      *FFailure = FPath.string() + " would grow past " + std::to_string(MaxSettingsFileBytes) +
                  " bytes; it is left as it was";
      return FCloseResult = false;
    }
    const int error = ReplaceFile(FPath, text);
    if (error) *FFailure = Failed("write", FPath, std::strerror(error));
    return FCloseResult = error == 0;
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
      } else if (HoldsMoreLines(*it)) {
        if (!placed) it = std::next(FLines.insert(it, fresh));  // read before it, by every release
        placed = true;
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
  std::shared_ptr<std::string> FFailure;
  bool FDirty = false;
  bool FClosed = false;
  bool FCloseResult = true;
};

}  // namespace

std::unique_ptr<TSettingsKey> TFileSettingsStore::OpenForReading() {
  if (FPath.empty()) return nullptr;
  try {
    std::string why;
    const auto text = ReadFile(FPath, why);
    if (!why.empty()) *FFailure = Failed("read", FPath, why);
    if (!text) return nullptr;
    return std::make_unique<TFileKey>(FPath, *text, false, FFailure);
  } catch (const std::exception&) {
    return nullptr;  // loading never fails: what cannot be read reads as missing
  }
}

std::unique_ptr<TSettingsKey> TFileSettingsStore::OpenForWriting() {
  if (FPath.empty()) return nullptr;
  std::error_code ec;
  const auto fail = [&](const std::string& message) {
    *FFailure = message;
    return nullptr;
  };
  // A symbolic link (a dotfile kept elsewhere) stays a link: the file it points to is replaced,
  // or made when it is not there yet. A chain of links is followed, a loop is not.
  fs::path target = FPath;
  for (int hops = 0; fs::is_symlink(target, ec); ++hops) {
    const fs::path next = fs::read_symlink(target, ec);
    if (ec || hops == 40) return fail(Failed("write", FPath, ec ? ec.message() : std::strerror(ELOOP)));
    target = fs::weakly_canonical(target.parent_path() / next, ec);
    if (ec) return fail(Failed("write", FPath, ec.message()));
  }
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), ec);
    if (ec) return fail(Failed("write", target, ec.message()));
  }
  std::string text;
  const auto status = fs::status(target, ec);
  if (fs::exists(status)) {
    // Values we cannot read must not be overwritten with only ours.
    std::string why;
    auto old = ReadFile(target, why);
    if (!old) return fail(Failed("read", target, why.empty() ? std::strerror(ENOENT) : why));
    if (ReadOnly(target, status))
      return fail("the settings file " + target.string() + " is read-only; it is left as it was");
    text = std::move(*old);
  }
  return std::make_unique<TFileKey>(target, text, true, FFailure);
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
  if (ec) {
    FFailure = Failed("write", settingsFile, ec.message());
    return;
  }
  fs::path lockFile = settingsFile;
  lockFile += ".lock";
  FFd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  int error = errno;
  bool theirs = false;  // there, but not for us to open: else the folder is to blame, as for the file
  // flock needs no more than a read handle: a lock file someone else made (root, say) still serves.
  if (FFd < 0 && (error == EACCES || error == EROFS)) {
    FFd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
    theirs = FFd < 0 && errno != ENOENT;
    if (theirs) error = errno;
  }
  if (FFd < 0) {
    FFailure = theirs ? "could not open the lock file " + lockFile.string() + ": " + std::strerror(error)
                      : Failed("write", settingsFile, std::strerror(error));
    return;
  }
  if (!LockWithin(FFd, wait)) {
    if (errno == EINTR || errno == EWOULDBLOCK)
      WarnOnce(lockFile.string() + " is locked by another process; gave up after " +
               std::to_string(std::chrono::duration_cast<std::chrono::seconds>(wait).count()) + " seconds");
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
