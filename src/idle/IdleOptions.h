#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/Settings.h"

namespace detonix::idle {

struct TIdleOptions {
  TSettingsOverrides Overrides;  // -idle-minutes, over the settings file's
  std::string LockCommand;
  double LockAfterMinutes = 5;
  bool Help = false;
  bool Version = false;
};

// The outcome of reading the command line: the options, or the message for a usage error (status 2).
struct TIdleParse {
  TIdleOptions Options;
  std::string Error;
  bool Ok() const { return Error.empty(); }
};

// ARGS leaves out the program name.
TIdleParse ParseIdleCommandLine(const std::vector<std::string>& args);

// The text --help prints, and detonix-idle.6, made from the same table.
std::string IdleUsageText();
std::string IdleManPage(std::string_view version);

}  // namespace detonix::idle
