#include "shell/win32/Win32Sound.h"

#include <mmsystem.h>

#include <memory>
#include <string>

namespace detonix::win32 {

namespace {

void Trace(const std::string& text) { OutputDebugStringA(("detonix sound: " + text + "\n").c_str()); }

DWORD WINAPI WorkerMain(LPVOID parameter) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
  try {
    (*body)();
  } catch (...) {
    // A failed sound is not reported; the game goes on.
  }
  return 0;
}

}  // namespace

std::span<const uint8_t> FindModuleWave(const std::string& name) {
  const HMODULE module = GetModuleHandleA(nullptr);
  // Resource names are kept in upper case, so the look-up ignores case.
  const HRSRC found = FindResourceA(module, name.c_str(), "WAVE");
  if (!found) return {};
  const HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return {};
  const void* data = LockResource(loaded);
  if (!data) return {};
  return {static_cast<const uint8_t*>(data), SizeofResource(module, found)};
}

int TWin32SoundOutput::WaveOutDeviceCount() const {
  const UINT devices = waveOutGetNumDevs();
  Trace("waveOutGetNumDevs " + std::to_string(devices) + (devices == 0 ? ", stays silent" : ""));
  return static_cast<int>(devices);
}

void TWin32SoundOutput::PlayWaveAsync(std::span<const uint8_t> wave) {
  const BOOL started = PlaySoundA(reinterpret_cast<LPCSTR>(wave.data()), nullptr, SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
  Trace(started ? "PlaySoundA started" : "PlaySoundA failed");
}

void TWin32SoundOutput::StartWorker(std::function<void()> body) {
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  DWORD id = 0;
  const HANDLE thread = CreateThread(nullptr, 0, WorkerMain, owned.get(), 0, &id);
  if (!thread) {
    Trace("no worker thread");
    return;
  }
  owned.release();  // the thread frees it
  CloseHandle(thread);  // nobody waits for it: it ends by itself
  Trace("worker started");
}

}  // namespace detonix::win32
