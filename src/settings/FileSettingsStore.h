#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "settings/SettingsStore.h"

namespace detonix {

// A settings file has a short line for each setting; one larger than this is no settings file and
// reads as missing (with a warning), so a huge or sparse file costs nothing to load. A save that
// would make it larger is refused, so that it never turns the file into one that reads as missing.
// The store's warnings are said once a process: the running program reads the file for every
// monitor and every game.
inline constexpr size_t MaxSettingsFileBytes = 64 * 1024;

// POSIX systems: the settings key as a plain text file of `Name=value` lines. A rewrite changes only
// the lines of the values written (the first of each name, and later ones of that name, which
// nothing reads) and adds those missing; every other line (other names, comments, lines it cannot
// parse, a line with a CR inside) stays as it was, byte for byte. A rewrite replaces the file in one
// step, so a crash leaves either the old file or the new one. A file no one may write
// (chmod a-w) is left as it is, even by root.
class TFileSettingsStore final : public TSettingsStore {
 public:
  explicit TFileSettingsStore(std::filesystem::path file) : FPath(std::move(file)) {}
  const std::filesystem::path& Path() const { return FPath; }

  std::unique_ptr<TSettingsKey> OpenForReading() override;
  std::unique_ptr<TSettingsKey> OpenForWriting() override;

  // The latest time the file could not be read or written, as a message with the system's reason
  // ("could not write the settings file X: Permission denied"); empty while nothing has failed. A
  // file that is not there is no failure.
  const std::string& Failure() const { return *FFailure; }

 private:
  std::filesystem::path FPath;
  std::shared_ptr<std::string> FFailure = std::make_shared<std::string>();  // shared with its keys
};

// While it lives, an exclusive lock on a file beside the settings file (its name and ".lock"),
// made with its folder when missing. Saving reads the file, changes it and reads it back; two
// processes doing that at once would lose one's change, so each holds this throughout. A lock
// another process keeps longer than WAIT (a stopped one, say) is given up, with a message.
class TSettingsFileLock {
 public:
  static constexpr std::chrono::milliseconds DefaultWait{5000};
  explicit TSettingsFileLock(const std::filesystem::path& settingsFile, std::chrono::milliseconds wait = DefaultWait);
  ~TSettingsFileLock();
  TSettingsFileLock(const TSettingsFileLock&) = delete;
  TSettingsFileLock& operator=(const TSettingsFileLock&) = delete;
  // False when the lock file cannot be made or locked.
  bool Held() const { return FFd >= 0; }
  // Why it could not be made, as TFileSettingsStore::Failure says it; empty when it was held, or
  // was given up (which the lock says itself).
  const std::string& Failure() const { return FFailure; }

 private:
  int FFd = -1;
  std::string FFailure;
};

// XDGCONFIGHOME/detonix/detonix.conf, else HOME/.config/detonix/detonix.conf. A relative or
// empty XDG_CONFIG_HOME is ignored; the result is empty when no location is known.
std::filesystem::path SettingsFilePath(const char* xdgConfigHome, const char* home);
// The same for this process's environment.
std::filesystem::path DefaultSettingsFilePath();

}  // namespace detonix
