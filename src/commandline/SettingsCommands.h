#pragma once

#include <filesystem>
#include <string>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "commandline/ShellOptions.h"

namespace detonix::commandline {

// The settings one run uses: the store's values (or the defaults) with the command line's on top.
TSettings EffectiveSettings(TSettingsStore& store, const TSettingsOverrides& overrides);

// The settings a run of the program plays with. Under xscreensaver its settings window is the
// truth: what the window controls comes from the command line or else the defaults, and the store
// fills in only what the window has no control for (TSettingRow::Xscreensaver). Elsewhere:
// EffectiveSettings.
TSettings SettingsForRun(TSettingsStore& store, const TShellOptions& options);
// The same from the store's settings STORED.
TSettings SettingsForRun(const TSettings& stored, const TShellOptions& options);

// The settings as a user writes them on the command line, one line each: the option, then
// the value (a character's name, the speed with its name, on or off, else the number).
std::string FormatSettings(const TSettings& settings);

// Writes the store's settings with the overrides on top. False when the store cannot be
// written or does not read back what was written.
bool SaveOverrides(TSettingsStore& store, const TSettingsOverrides& overrides);

// --show-settings and --save-settings against the settings file at PATH; the exit status.
int RunShowSettings(const std::filesystem::path& path, const TShellOptions& options);
int RunSaveSettings(const std::filesystem::path& path, const TSettingsOverrides& overrides);

// What only the settings file gives under xscreensaver, whose window has no control for it:
// "the maze densities" while those are exactly the rows without a control, else their options.
std::string FileOnlySettings();

}  // namespace detonix::commandline
