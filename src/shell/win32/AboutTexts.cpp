#include "shell/win32/AboutTexts.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace detonix::win32 {

namespace {

// The version Windows really has: GetVersionEx answers what the manifest's supported systems
// allow it to, RtlGetVersion the truth. GetVersionEx where ntdll has no RtlGetVersion (the 95 family).
bool RealVersion(OSVERSIONINFOA& version) {
  using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto rtlGetVersion =
      ntdll ? reinterpret_cast<TRtlGetVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion"))) : nullptr;
  OSVERSIONINFOW wide{};
  wide.dwOSVersionInfoSize = sizeof wide;
  version = OSVERSIONINFOA{};
  version.dwOSVersionInfoSize = sizeof version;
  if (rtlGetVersion && rtlGetVersion(&wide) == 0) {
    version.dwMajorVersion = wide.dwMajorVersion;
    version.dwMinorVersion = wide.dwMinorVersion;
    version.dwBuildNumber = wide.dwBuildNumber;
    version.dwPlatformId = wide.dwPlatformId;
    WideCharToMultiByte(CP_ACP, 0, wide.szCSDVersion, -1, version.szCSDVersion, sizeof version.szCSDVersion, nullptr,
                        nullptr);
    return true;
  }
  return GetVersionExA(&version) != 0;
}

}  // namespace

TVersionTexts VersionTexts(const OSVERSIONINFOA* version) {
  if (!version) return {"", "", true};  // a failed query empties both
  auto buildLine = [version](DWORD build) {
    char line[64];
    std::snprintf(line, sizeof line, "Build %lu.%lu.%lu ", static_cast<unsigned long>(version->dwMajorVersion),
                  static_cast<unsigned long>(version->dwMinorVersion), static_cast<unsigned long>(build));
    // The service-pack text may fill its whole field without a terminator.
    const char* sp = version->szCSDVersion;
    return std::string(line) + std::string(sp, strnlen(sp, sizeof version->szCSDVersion));
  };
  switch (version->dwPlatformId) {
    case VER_PLATFORM_WIN32s:
      return {"Win32s on Windows 3.1", "", false};
    case VER_PLATFORM_WIN32_WINDOWS:
      return {"Windows 98", buildLine(version->dwBuildNumber & 0xFFFFu), true};
    case VER_PLATFORM_WIN32_NT:
      return {"Windows NT", buildLine(version->dwBuildNumber), true};
    default:
      return {"Unknown OS", "", false};
  }
}

std::string MemoryText(uint64_t totalBytes, const std::string& thousandSeparator) {
  const auto kilobytes = static_cast<uint64_t>(std::llround(static_cast<double>(totalBytes) / 1024.0));
  std::string digits = std::to_string(kilobytes);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += thousandSeparator;
    grouped += digits[i];
  }
  return "Total Memory: " + grouped + " KB";
}

TVersionTexts SystemVersionTexts() {
  OSVERSIONINFOA version{};
  return VersionTexts(RealVersion(version) ? &version : nullptr);
}

std::string SystemMemoryText() {
  MEMORYSTATUS memory{};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatus(&memory);
  char separator[16] = {};
  const bool known = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof separator) > 0;
  return MemoryText(memory.dwTotalPhys, known ? separator : ",");
}

}  // namespace detonix::win32
