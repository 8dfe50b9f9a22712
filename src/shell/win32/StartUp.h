#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/RunMode.h"

namespace detonix::win32 {

// What the command line asked for; read once, before any window exists.
struct TStartUp {
  TRunMode Mode = TRunMode::rmNone;
  HWND ParentWindow = nullptr;              // the host's window: the preview's parent, the dialogs' owner
  HWND PreviousForegroundWindow = nullptr;  // given back the foreground when the user ends the saver
};

constexpr const char* ApplicationTitle = "Detonix ScreenSaver";
constexpr const char* SaverClassName = "TZepsScreenSaver";

// ARGS are the arguments after the program's name.
TStartUp ParseCommandLine(const std::vector<std::string>& args);
// A full-screen saver window of ours exists already.
bool SaverAlreadyRunning();
// The text is a decimal signed 32-bit number, and nothing else.
bool IsInteger(const std::string& text);
// The window handle a decimal number names (handles are 32-bit values, sign-extended).
HWND HandleFromText(const std::string& text);

}  // namespace detonix::win32
