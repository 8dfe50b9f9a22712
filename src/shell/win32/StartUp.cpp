#include "shell/win32/StartUp.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace detonix::win32 {

bool SaverAlreadyRunning() {
  const HWND found = FindWindowA(SaverClassName, nullptr);
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(found)) > 0;
}

bool IsInteger(const std::string& text) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;  // from_chars takes '-' but not '+'
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(first, last, value, 10);
  return ec == std::errc{} && end == last && first != last;
}

HWND HandleFromText(const std::string& text) {
  // The number is checked first: stoi would also take blanks and text after the digits.
  return IsInteger(text) ? reinterpret_cast<HWND>(static_cast<intptr_t>(std::stoi(text))) : nullptr;
}

namespace {

// The window TEXT names, when it exists.
HWND ExistingWindow(const std::string& text) {
  const HWND hwnd = HandleFromText(text);
  return hwnd != nullptr && IsWindow(hwnd) ? hwnd : nullptr;
}

// The host window of /p and /a: a separate second argument naming an existing window.
HWND HostWindow(const std::vector<std::string>& args, TStartUp& result) {
  if (args.size() >= 2) result.ParentWindow = ExistingWindow(args[1]);
  return result.ParentWindow;
}

}  // namespace

TStartUp ParseCommandLine(const std::vector<std::string>& args) {
  TStartUp result;
  if (args.empty()) {
    result.Mode = TRunMode::rmConfigure;
    return result;
  }
  // Whatever the first character is (/, - or anything), it only marks the switch.
  std::string switchText = args[0].empty() ? std::string() : args[0].substr(1);
  std::transform(switchText.begin(), switchText.end(), switchText.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });

  if (switchText == "S" && !SaverAlreadyRunning()) {
    result.Mode = TRunMode::rmSaver;
    result.PreviousForegroundWindow = GetForegroundWindow();
    return result;
  }
  if (switchText.empty()) return result;
  switch (switchText[0]) {
    case 'C': {
      // The window asking for the settings, "/c:<handle>" or "/c <handle>", owns the dialog.
      const size_t colon = switchText.find(':');
      result.Mode = TRunMode::rmConfigure;
      if (colon != std::string::npos) result.ParentWindow = ExistingWindow(switchText.substr(colon + 1));
      else if (args.size() >= 2) result.ParentWindow = ExistingWindow(args[1]);
      break;
    }
    case 'P':
      if (HostWindow(args, result)) result.Mode = TRunMode::rmPreview;
      break;
    case 'A':
      if (HostWindow(args, result)) result.Mode = TRunMode::rmChangePassword;
      break;
    default:
      break;
  }
  return result;
}

}  // namespace detonix::win32
