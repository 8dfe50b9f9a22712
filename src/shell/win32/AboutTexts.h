#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace detonix::win32 {

// The About page's lines on the system: its version and build, and its memory.
struct TVersionTexts {
  std::string OSVer;
  std::string OSBuild;
  bool SetBuild = false;  // the build line is written (emptied when the query failed)
};
// The texts for a version report; empty texts when the query failed (null).
TVersionTexts VersionTexts(const OSVERSIONINFOA* version);
// "Total Memory: " and the kilobytes with the given thousands separator.
std::string MemoryText(uint64_t totalBytes, const std::string& thousandSeparator);

// The same for the system this runs on.
TVersionTexts SystemVersionTexts();
std::string SystemMemoryText();

}  // namespace detonix::win32
