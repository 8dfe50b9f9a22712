#pragma once

#include <windows.h>

#include <utility>

namespace detonix::win32 {

// Owns one handle and releases it with Release on every path out.
template <typename H, auto Release, H Null = H{}>
class TUniqueHandle {
 public:
  TUniqueHandle() = default;
  explicit TUniqueHandle(H handle) : FHandle(handle) {}
  ~TUniqueHandle() { Reset(); }
  TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, Null)) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.FHandle, Null));
    return *this;
  }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;

  H Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != Null; }
  void Reset(H handle = Null) {
    if (FHandle != Null) Release(FHandle);
    FHandle = handle;
  }

 private:
  H FHandle = Null;
};

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void DeleteMemoryDC(HDC dc) { DeleteDC(dc); }
inline void UnloadLibrary(HMODULE module) { FreeLibrary(module); }
inline void DestroyOwnedWindow(HWND hwnd) {
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

using TBitmapHandle = TUniqueHandle<HBITMAP, DeleteGdiObject>;
using TFontHandle = TUniqueHandle<HFONT, DeleteGdiObject>;
using TMemoryDC = TUniqueHandle<HDC, DeleteMemoryDC>;
using TLibrary = TUniqueHandle<HMODULE, UnloadLibrary>;
using TWindowHandle = TUniqueHandle<HWND, DestroyOwnedWindow>;

// A window's device context for as long as it lives.
class TWindowDC {
 public:
  explicit TWindowDC(HWND hwnd) : FWnd(hwnd), FDC(GetDC(hwnd)) {}
  ~TWindowDC() {
    if (FDC) ReleaseDC(FWnd, FDC);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return FDC; }

 private:
  HWND FWnd;
  HDC FDC;
};

// The whole screen's device context.
class TScreenDC : public TWindowDC {
 public:
  TScreenDC() : TWindowDC(nullptr) {}
};

// BeginPaint and EndPaint around one WM_PAINT.
class TPaintDC {
 public:
  explicit TPaintDC(HWND hwnd) : FWnd(hwnd) { BeginPaint(hwnd, &Paint); }
  ~TPaintDC() { EndPaint(FWnd, &Paint); }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  HDC Get() const { return Paint.hdc; }
  PAINTSTRUCT Paint{};

 private:
  HWND FWnd;
};

}  // namespace detonix::win32
