#include "commandline/SettingsCommands.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <variant>
#include <vector>

#include "settings/FileSettingsStore.h"
#include "settings/SettingOptions.h"

namespace detonix::commandline {

TSettings EffectiveSettings(TSettingsStore& store, const TSettingsOverrides& overrides) {
  TSettings s = LoadSettingsWarned(store, overrides);
  overrides.ApplyTo(s);
  return s;
}

TSettings SettingsForRun(TSettingsStore& store, const TShellOptions& options) {
  return SettingsForRun(LoadSettingsWarned(store, options.Overrides), options);
}

TSettings SettingsForRun(const TSettings& stored, const TShellOptions& options) {
  TSettings s = stored;
  if (options.UnderXscreensaver) {
    // What its window has no control for comes from the store.
    s = TSettings();
    for (const TSettingRow& row : SettingRows)
      if (row.FileOnlyUnderXscreensaver())
        std::visit([&](auto field) { s.*field = stored.*field; }, row.Field);
  }
  options.Overrides.ApplyTo(s);
  return s;
}

std::string FormatSettings(const TSettings& s) {
  size_t width = 0;
  for (const TSettingRow& row : SettingRows) width = std::max(width, row.Option.size());
  std::string text;
  for (const TSettingRow& row : SettingRows)
    text += std::string(row.Option) + std::string(width + 2 - row.Option.size(), ' ') + UserValueText(row, s) + "\n";
  return text;
}

bool SaveOverrides(TSettingsStore& store, const TSettingsOverrides& overrides) {
  const TSettings wanted = EffectiveSettings(store, overrides);
  SaveSettings(store, wanted, &overrides);
  // The store says nothing of a failed write; reading back is the only way to know.
  const auto key = store.OpenForReading();
  return key && LoadSettings(store) == wanted;
}

int RunShowSettings(const std::filesystem::path& path, const TShellOptions& options) {
  TFileSettingsStore store(path);
  TSettings stored;
  int status = 0;
  if (path.empty()) {
    std::printf("Settings file: none (neither XDG_CONFIG_HOME nor HOME is set); the defaults apply\n");
  } else if (const auto key = store.OpenForReading()) {
    stored = LoadSettingsWarned(*key, options.Overrides);
    std::printf("Settings file: %s\n", path.c_str());
  } else if (store.Failure().empty()) {
    std::printf("Settings file: %s (not there: the defaults apply)\n", path.c_str());
  } else {
    // There but unreadable (no permission, a folder, far too large): the user must hear of it.
    std::fprintf(stderr, "detonix: %s\n", store.Failure().c_str());
    std::printf("Settings file: %s (could not be read: the defaults apply)\n", path.c_str());
    status = 1;
  }
  if (options.UnderXscreensaver)
    std::printf("What plays in $XSCREENSAVER_WINDOW (the settings file gives only %s):\n", FileOnlySettings().c_str());
  else if (!options.Overrides.Empty())
    std::printf("With the settings given on the command line on top:\n");
  std::fputs(FormatSettings(SettingsForRun(stored, options)).c_str(), stdout);
  return status;
}

int RunSaveSettings(const std::filesystem::path& path, const TSettingsOverrides& overrides) {
  if (path.empty()) {
    std::fprintf(stderr, "detonix: nowhere to save the settings: neither XDG_CONFIG_HOME nor HOME is set\n");
    return 1;
  }
  TFileSettingsStore store(path);
  // Another process saving at the same moment waits for this one, so each "Saved" holds.
  const TSettingsFileLock lock(path);
  if (!lock.Held() || !SaveOverrides(store, overrides)) {
    // Why, when the lock or the store can tell (a lock given up has said so itself).
    const std::string& failure = lock.Held() ? store.Failure() : lock.Failure();
    if (failure.empty()) std::fprintf(stderr, "detonix: could not write the settings file %s\n", path.c_str());
    else std::fprintf(stderr, "detonix: %s\n", failure.c_str());
    return 1;
  }
  // The settings are saved, which is what the status tells; their listing is only a confirmation.
  // Written past stdio, so that one lost (a full disk, a closed pipe) is said here and not again.
  const std::string listing = "Saved to " + path.string() + ":\n" + FormatSettings(LoadSettings(store));
  std::fflush(stdout);
  size_t done = 0;
  while (done < listing.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, listing.data() + done, listing.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      std::fprintf(stderr, "detonix: the settings were saved to %s, but standard output could not be written: %s\n",
                   path.c_str(), n < 0 ? std::strerror(errno) : "nothing written");
      break;
    }
    done += static_cast<size_t>(n);
  }
  return 0;
}

std::string FileOnlySettings() {
  std::vector<std::string> options;
  bool densities = true;
  for (const TSettingRow& row : SettingRows) {
    if (row.WatcherOnly) continue;  // no game reads it, under xscreensaver or elsewhere
    const bool fileOnly = row.FileOnlyUnderXscreensaver();
    densities = densities && fileOnly == row.Maze;
    if (fileOnly) options.emplace_back(row.Option);
  }
  return densities ? "the maze densities" : Listed(options, "and");
}

}  // namespace detonix::commandline
