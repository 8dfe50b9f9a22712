#pragma once

#include <filesystem>
#include <string>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "shell/sdl/ShellOptions.h"

namespace detonix::sdl {

// The settings one run uses: the store's values (or the defaults) with the command line's on top.
TSettings EffectiveSettings(TSettingsStore& store, const TSettingsOverrides& overrides);

// The settings a run of the program plays with. Under xscreensaver its settings window is the
// truth: what the window controls comes from the command line or else the defaults, and the store
// fills in only the maze densities, which the window does not show. Elsewhere: EffectiveSettings.
TSettings SettingsForRun(TSettingsStore& store, const TShellOptions& options);

// The nine values as the settings file spells them, one `Name=value` line each, with the
// character and speed names where they have one.
std::string FormatSettings(const TSettings& settings);

// Writes the store's settings with the overrides on top. False when the store cannot be
// written or does not read back what was written.
bool SaveOverrides(TSettingsStore& store, const TSettingsOverrides& overrides);

// --show-settings and --save-settings against the settings file at PATH; the exit status.
int RunShowSettings(const std::filesystem::path& path, const TSettingsOverrides& overrides);
int RunSaveSettings(const std::filesystem::path& path, const TSettingsOverrides& overrides);

}  // namespace detonix::sdl
