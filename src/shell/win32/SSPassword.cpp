#include "shell/win32/SSPassword.h"

#include <string>

#include "shell/win32/WinHandles.h"

namespace detonix::win32 {

namespace {
using TPwdChangePassword = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
}

void ChangePassword(HWND parentWindow) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) return;

  char directory[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  std::string path(directory, length < MAX_PATH ? length : 0);
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += "MPR.DLL";

  TLibrary library(LoadLibraryA(path.c_str()));
  if (!library) return;
  // The library exports it under a C name; the cast through a generic pointer is how it is typed.
  const auto change = reinterpret_cast<TPwdChangePassword>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "PwdChangePasswordA")));
  if (change) change("SCRSAVE", parentWindow, 0, nullptr);
}

}  // namespace detonix::win32
