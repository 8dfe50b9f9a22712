// The Windows shell's own cases, run in-process under Wine: start-up parsing, the preview's board
// and drawing, the sound back end and its resource, the dialog's texts, and the registry store
// with values of the wrong type. The close rule and the preview's cell size are the game host's.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "media/Sounds.h"
#include "media/WaveResources.h"
#include "platform/Png.h"
#include "settings/RegistrySettingsStore.h"
#include "settings/Settings.h"
#include "shell/win32/ConfigurationFrm.h"
#include "shell/win32/MessageLoop.h"
#include "shell/win32/PreviewFrm.h"
#include "shell/win32/StartUp.h"
#include "shell/win32/Win32Sound.h"
#include "shell/win32/resource.h"
#include "TestHarness.h"

using namespace detonix;
using namespace detonix::win32;
using detonix::wintest::TSuite;

namespace {

std::string Str(int64_t v) { return std::to_string(v); }

// A plain top-level window to stand in for a host's preview window.
HWND MakeHostWindow(int width, int height) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "DetonixTestHost";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassA(&wc);
  // A popup has no frame, so its outer rectangle is the size asked for.
  return CreateWindowExA(0, "DetonixTestHost", "host", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

// The preview ends its program when its window goes: the quit it posts here is taken back, so
// the next case's loop does not end at once.
void DestroyHost(HWND host) {
  DestroyWindow(host);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

// A preview form in a host window of the given size, on a real clock, ready to run.
struct TPreviewCase {
  TPreviewCase(int width, int height) : Host(MakeHostWindow(width, height)), App(Clock), Form(App, Host) {
    InstallApplicationHooks(App, nullptr);
    Preview = Form.Create(GetModuleHandleA(nullptr));
  }
  HWND Host;
  TRealClock Clock;
  TApplication App;
  TPreviewForm Form;
  HWND Preview = nullptr;
};

// Runs the message loop for about MS milliseconds of real time.
void RunFor(TApplication& app, DWORD ms) {
  const DWORD until = GetTickCount() + ms;
  TLoopHooks hooks;
  hooks.StillWanted = [until] { return static_cast<LONG>(GetTickCount() - until) < 0; };
  hooks.WatchMs = 50;
  RunMessageLoop(app, hooks);
}

bool AllBlack(const TPaintSurface& surface) {
  for (int y = 0; y < surface.Height(); ++y)
    for (int x = 0; x < surface.Width(); ++x)
      if ((surface.Bitmap().Pixel(x, y) & 0xFFFFFFu) != 0) return false;
  return true;
}

int DistinctColours(const TPaintSurface& surface) {
  std::vector<uint32_t> seen;
  for (int y = 0; y < surface.Height(); y += 2)
    for (int x = 0; x < surface.Width(); x += 2) {
      const uint32_t c = surface.Bitmap().Pixel(x, y) & 0xFFFFFFu;
      if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
    }
  return static_cast<int>(seen.size());
}

// Counts the workers that the sound request makes, around the real Windows output.
class TWatchedSound final : public TSoundOutput {
 public:
  int WaveOutDeviceCount() const override { return FReal.WaveOutDeviceCount(); }
  void PlayWaveAsync(std::span<const uint8_t>) override { ++Plays; }
  void StartWorker(std::function<void()> body) override {
    ++Workers;
    body();  // run here, so the test sees its effect at once
  }
  std::atomic<int> Workers{0};
  std::atomic<int> Plays{0};

 private:
  TWin32SoundOutput FReal;
};

void StartUpCases(TSuite& t) {
  t.Add("start-up: switches choose the mode", [&t] {
    struct TCase {
      std::vector<std::string> Args;
      TSaverMode Mode;
    };
    const std::vector<TCase> cases = {
        {{}, TSaverMode::smConfigure},          {{"/s"}, TSaverMode::smSaver},
        {{"-s"}, TSaverMode::smSaver},          {{"/S"}, TSaverMode::smSaver},
        {{"/saver"}, TSaverMode::smNone},       {{"/s1"}, TSaverMode::smNone},
        {{"/x"}, TSaverMode::smNone},           {{"/"}, TSaverMode::smNone},
        {{""}, TSaverMode::smNone},             {{"/c"}, TSaverMode::smConfigure},
        {{"/C:1234"}, TSaverMode::smConfigure}, {{"/config"}, TSaverMode::smConfigure},
        {{"/p"}, TSaverMode::smNone},           {{"/p", "0"}, TSaverMode::smNone},
        {{"/p", "abc"}, TSaverMode::smNone},    {{"/p:1234"}, TSaverMode::smNone},
        {{"/a"}, TSaverMode::smNone},           {{"/s", "extra", "args"}, TSaverMode::smSaver},
    };
    for (const TCase& c : cases) {
      std::string joined;
      for (const auto& a : c.Args) joined += "'" + a + "' ";
      const TStartUp s = ParseCommandLine(c.Args);
      EXPECT_THAT(t, s.SaverMode == c.Mode, "args " + joined + "gave mode " + Str(static_cast<int>(s.SaverMode)));
    }
  });

  t.Add("start-up: /p and /a take an existing window as a separate argument", [&t] {
    const HWND host = MakeHostWindow(50, 50);
    const std::string handle = Str(static_cast<int32_t>(reinterpret_cast<intptr_t>(host)));
    TStartUp s = ParseCommandLine({"/p", handle});
    EXPECT_THAT(t, s.SaverMode == TSaverMode::smPreview && s.ParentWindow == host, "preview of " + handle);
    s = ParseCommandLine({"/P", handle, "ignored"});
    EXPECT_THAT(t, s.SaverMode == TSaverMode::smPreview, "upper-case switch");
    s = ParseCommandLine({"/a", handle});
    EXPECT_THAT(t, s.SaverMode == TSaverMode::smChangePassword && s.ParentWindow == host, "password for " + handle);
    s = ParseCommandLine({"/p:" + handle});
    EXPECT_THAT(t, s.SaverMode == TSaverMode::smNone, "handle in the same argument");
    DestroyWindow(host);
    s = ParseCommandLine({"/p", handle});
    EXPECT_THAT(t, s.SaverMode == TSaverMode::smNone, "a window that is gone");
    EXPECT_THAT(t, ParseCommandLine({"/s"}).PreviousForegroundWindow == GetForegroundWindow(), "foreground kept");
  });

  t.Add("start-up: IsInteger takes signed 32-bit decimals only", [&t] {
    for (const char* good : {"0", "123", "-5", "+7", "2147483647", "-2147483648"})
      EXPECT_THAT(t, IsInteger(good), good);
    for (const char* bad : {"", "-", "12a", "0x10", " 1", "1 ", "2147483648", "-2147483649", "1.5"})
      EXPECT_THAT(t, !IsInteger(bad), std::string("'") + bad + "'");
  });
}

// Where the cases may leave pictures for people to look at; empty: nowhere.
std::string ArtifactsDir;

void PreviewCases(TSuite& t) {
  t.Add("preview: a 152 x 112 host shows a running 15 x 11 board of 10-pixel cells", [&t] {
    TPreviewCase c(152, 112);
    const HWND host = c.Host;
    const HWND preview = c.Preview;
    TApplication& app = c.App;
    TPreviewForm& form = c.Form;
    EXPECT_THAT(t, preview != nullptr, "created");
    if (!preview) return;
    RunFor(app, 1500);
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(preview, GWL_STYLE));
    EXPECT_THAT(t, (style & ~WS_VISIBLE) == TPreviewForm::PreviewStyle, "style " + Str(style));
    EXPECT_THAT(t, GetParent(preview) == host, "child of the host");
    RECT r{};
    GetWindowRect(preview, &r);
    EXPECT_THAT(t, r.right - r.left == 152 && r.bottom - r.top == 112 && r.left == 0 && r.top == 0, "placed at (0, 0)");
    TDetonixSimulator* sim = form.Host().Simulator();
    EXPECT_THAT(t, sim != nullptr, "game running");
    if (sim) {
      const TGameState& s = sim->State();
      EXPECT_THAT(t, s.CellSize == 10 && s.ColCount == 15 && s.RowCount == 11,
                  Str(s.CellSize) + " px, " + Str(s.ColCount) + " x " + Str(s.RowCount));
      EXPECT_THAT(t, sim->IsPreview() && !sim->SoundsOn(), "silent preview");
      const TPaintSurface& surface = *form.Host().Surface();
      EXPECT_THAT(t, !AllBlack(surface), "the board is drawn");
      EXPECT_THAT(t, DistinctColours(surface) >= 4, "blocks, floor and players, not one flat colour");
      if (!ArtifactsDir.empty()) SavePng(surface.Bitmap(), ArtifactsDir + "\\preview.png");
    }
    DestroyHost(host);  // takes the preview with it
    EXPECT_THAT(t, !IsWindow(preview), "the preview goes with its host");
  });

  t.Add("preview: a host narrower than 14 pixels stays black and keeps running", [&t] {
    TPreviewCase c(13, 112);
    const HWND host = c.Host;
    const HWND preview = c.Preview;
    TApplication& app = c.App;
    TPreviewForm& form = c.Form;
    EXPECT_THAT(t, preview != nullptr, "created");
    if (!preview) return;
    RunFor(app, 600);
    EXPECT_THAT(t, IsWindow(preview), "still there");
    EXPECT_THAT(t, !form.Host().Simulator(), "no game");
    if (form.Host().Surface()) EXPECT_THAT(t, AllBlack(*form.Host().Surface()), "black");
    EXPECT_THAT(t, app.Messages().empty(), "nothing said");
    DestroyHost(host);
  });

  t.Add("preview: a host closing while the game pumps messages leaves the game alive to the loop's end", [&t] {
    TPreviewCase c(152, 112);
    const HWND host = c.Host;
    const HWND preview = c.Preview;
    TApplication& app = c.App;
    TPreviewForm& form = c.Form;
    RunFor(app, 300);
    TDetonixSimulator* sim = form.Host().Simulator();
    EXPECT_THAT(t, sim != nullptr, "game running");
    if (!sim) return;
    PostMessageA(host, WM_CLOSE, 0, 0);
    sim->SetPaused(true);  // pumps pending messages, as the game does when it stops
    EXPECT_THAT(t, !IsWindow(preview), "the window went inside the game's call");
    EXPECT_THAT(t, form.Host().Simulator() == sim, "the game is still there for the rest of it");
    sim->SetPaused(false);
    MSG msg;
    EXPECT_THAT(t, PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0, "the quit waits for the main loop");
  });

  t.Add("preview: the loop ends soon after the host window is destroyed", [&t] {
    TPreviewCase c(152, 112);
    const HWND host = c.Host;
    const HWND preview = c.Preview;
    TApplication& app = c.App;
    EXPECT_THAT(t, preview != nullptr, "created");
    // The host goes away while the game runs, from a timer of its own.
    SetTimer(host, 1, 400, [](HWND hwnd, UINT, UINT_PTR, DWORD) { DestroyWindow(hwnd); });
    TLoopHooks hooks;
    const DWORD start = GetTickCount();
    hooks.StillWanted = [host, preview, start] {
      return IsWindow(host) && IsWindow(preview) && GetTickCount() - start < 10000;
    };
    hooks.WatchMs = 250;
    RunMessageLoop(app, hooks);
    EXPECT_THAT(t, !IsWindow(host) && !IsWindow(preview), "both gone when the loop ended");
  });
}

void SoundCases(TSuite& t) {
  t.Add("sound: the module carries the explosion as a WAVE resource, found in any case", [&t] {
    const auto upper = FindModuleWave("EXPLOSION");
    const auto lower = FindModuleWave("explosion");
    const auto wave = ExplosionWave();
    EXPECT_THAT(t, upper.size() == 176456, "size " + Str(static_cast<int64_t>(upper.size())));
    EXPECT_THAT(t, lower.data() == upper.data(), "one resource");
    EXPECT_THAT(t, upper.size() == wave.size() && std::memcmp(upper.data(), wave.data(), wave.size()) == 0,
                "the same bytes as the built-in sound");
    EXPECT_THAT(t, upper.size() > 12 && std::memcmp(upper.data(), "RIFF", 4) == 0 &&
                       std::memcmp(upper.data() + 8, "WAVE", 4) == 0,
                "a RIFF/WAVE image");
    EXPECT_THAT(t, FindModuleWave("bang").empty(), "no other sound");
  });

  t.Add("sound: a request makes a worker only when there is a wave device", [&t] {
    auto sound = std::make_shared<TWatchedSound>();
    const int devices = sound->WaveOutDeviceCount();
    PlaySoundResource(sound, "explosion");
    PlaySoundResource(sound, "explosion");
    EXPECT_THAT(t, sound->Workers == (devices == 0 ? 0 : 2), Str(devices) + " devices, " + Str(sound->Workers) + " workers");
    EXPECT_THAT(t, sound->Plays == (devices == 0 ? 0 : 2), Str(sound->Plays) + " plays");
  });

  t.Add("sound: a worker runs on a thread of its own, which ends by itself", [&t] {
    TWin32SoundOutput sound;
    const HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> thread{0};
    sound.StartWorker([&thread, done] {
      thread = GetCurrentThreadId();
      SetEvent(done);
    });
    EXPECT_THAT(t, WaitForSingleObject(done, 5000) == WAIT_OBJECT_0, "the body ran");
    EXPECT_THAT(t, thread != 0 && thread != GetCurrentThreadId(), "on another thread");
    CloseHandle(done);
  });
}

void ResourceCases(TSuite& t) {
  t.Add("resources: an icon and a version block that name the program", [&t] {
    const HINSTANCE module = GetModuleHandleA(nullptr);
    EXPECT_THAT(t, LoadIconA(module, MAKEINTRESOURCEA(IDI_DETONIX)) != nullptr, "icon");
    const HICON small = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(IDI_DETONIX), IMAGE_ICON, 16, 16, 0));
    EXPECT_THAT(t, small != nullptr, "a 16-pixel icon");
    if (small) DestroyIcon(small);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    EXPECT_THAT(t, size > 0, "a version block");
    if (size == 0) return;
    std::vector<char> block(size);
    GetFileVersionInfoA(path, 0, size, block.data());
    char* text = nullptr;
    UINT length = 0;
    VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileDescription", reinterpret_cast<void**>(&text), &length);
    EXPECT_THAT(t, text && std::string(text) == "Detonix Screen Saver", "description");
    VS_FIXEDFILEINFO* fixed = nullptr;
    VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length);
    EXPECT_THAT(t, fixed && HIWORD(fixed->dwFileVersionMS) == 1, "version 1");
    char name[64] = {};
    LoadStringA(module, 1, name, sizeof name);
    EXPECT_THAT(t, std::string(name) == "Detonix", "the name the display settings list");
  });
}

void DialogCases(TSuite& t) {
  t.Add("dialog: speeds map to radio positions, others to Normal", [&t] {
    const int32_t speeds[] = {100, 120, 150, 200, 300};
    for (int i = 0; i < 5; ++i) EXPECT_THAT(t, TConfigurationForm::SpeedToIndex(speeds[i]) == i, Str(speeds[i]));
    for (int32_t odd : {0, -5, 175, 301}) EXPECT_THAT(t, TConfigurationForm::SpeedToIndex(odd) == 2, Str(odd));
  });

  t.Add("dialog: About texts for each platform", [&t] {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    v.dwMajorVersion = 4;
    v.dwMinorVersion = 10;
    v.dwBuildNumber = 0x04000A22;  // the 95 family keeps the version in the high word
    v.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    std::strcpy(v.szCSDVersion, " A ");
    auto texts = TConfigurationForm::VersionTexts(&v);
    EXPECT_THAT(t, texts.OSVer == "Windows 98" && texts.OSBuild == "Build 4.10.2594  A ", texts.OSBuild);
    v.dwPlatformId = VER_PLATFORM_WIN32_NT;
    v.dwMajorVersion = 6;
    v.dwMinorVersion = 1;
    v.dwBuildNumber = 7601;
    std::strcpy(v.szCSDVersion, "Service Pack 1");
    texts = TConfigurationForm::VersionTexts(&v);
    EXPECT_THAT(t, texts.OSVer == "Windows NT" && texts.OSBuild == "Build 6.1.7601 Service Pack 1", texts.OSBuild);
    std::memset(v.szCSDVersion, 'x', sizeof v.szCSDVersion);  // a full field without its terminator
    texts = TConfigurationForm::VersionTexts(&v);
    EXPECT_THAT(t, texts.OSBuild.size() == std::strlen("Build 6.1.7601 ") + 128, "unterminated service pack text");
    v.dwPlatformId = VER_PLATFORM_WIN32s;
    texts = TConfigurationForm::VersionTexts(&v);
    EXPECT_THAT(t, texts.OSVer == "Win32s on Windows 3.1" && !texts.SetBuild, texts.OSVer);
    v.dwPlatformId = 7;
    texts = TConfigurationForm::VersionTexts(&v);
    EXPECT_THAT(t, texts.OSVer == "Unknown OS" && !texts.SetBuild, texts.OSVer);
    texts = TConfigurationForm::VersionTexts(nullptr);
    EXPECT_THAT(t, texts.OSVer.empty() && texts.OSBuild.empty() && texts.SetBuild, "failed query empties both");
  });

  t.Add("dialog: memory in rounded kilobytes with the thousands separator, beyond 4 GB too", [&t] {
    EXPECT_THAT(t, TConfigurationForm::MemoryText(0, ",") == "Total Memory: 0 KB", "zero");
    EXPECT_THAT(t, TConfigurationForm::MemoryText(1535, ",") == "Total Memory: 1 KB", "rounds down");
    EXPECT_THAT(t, TConfigurationForm::MemoryText(1536, ",") == "Total Memory: 2 KB", "rounds half up");
    EXPECT_THAT(t, TConfigurationForm::MemoryText(1024ull * 999, ",") == "Total Memory: 999 KB", "no separator");
    EXPECT_THAT(t, TConfigurationForm::MemoryText(1024ull * 1000, ".") == "Total Memory: 1.000 KB", "user's separator");
    EXPECT_THAT(t, TConfigurationForm::MemoryText(8ull << 30, ",") == "Total Memory: 8,388,608 KB", "8 GB, not 0");
  });
}

void RegistryCases(TSuite& t) {
  constexpr const char* TestKey = "software\\Vantrel_Progs\\DetonixSaverWinTest";
  t.Add("registry: values of the wrong type or size read as the defaults", [&t, TestKey] {
    RegDeleteTreeA(HKEY_CURRENT_USER, TestKey);
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    const DWORD dword = 7;
    const BYTE four[4] = {1, 2, 3, 4};
    const BYTE eight[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    RegSetValueExA(key, "PerBlocksLeft", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), sizeof dword);
    RegSetValueExA(key, "PerOfEBlocks", 0, REG_BINARY, four, sizeof four);
    RegSetValueExA(key, "PerOfPUps", 0, REG_SZ, reinterpret_cast<const BYTE*>("55"), 3);
    RegSetValueExA(key, "PlayerSpeed", 0, REG_BINARY, eight, sizeof eight);
    RegSetValueExA(key, "ForceMaze", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    RegSetValueExA(key, "Sounds", 0, REG_BINARY, four, sizeof four);
    RegCloseKey(key);
    TRegistrySettingsStore store(TestKey);
    EXPECT_THAT(t, LoadSettings(store) == TSettings{}, "all defaults");
  });

  t.Add("registry: what is saved reads back, replacing values of another type", [&t, TestKey] {
    TRegistrySettingsStore store(TestKey);
    TSettings s;
    s.PerBlocksLeft = 0.35;
    s.PerOfEBlocks = 0.2;
    s.PerOfPUps = 40;
    s.P1ImageIndex = 18;
    s.P2ImageIndex = 7;
    s.PlayerSpeed = 175;
    s.ForceMaze = true;
    s.ForceInterval = 60;
    s.Sounds = true;
    SaveSettings(store, s);
    EXPECT_THAT(t, LoadSettings(store) == s, "round trip");
    HKEY key = nullptr;
    DWORD type = 0;
    DWORD size = 0;
    RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, KEY_READ, &key);
    RegQueryValueExA(key, "PerBlocksLeft", nullptr, &type, nullptr, &size);
    EXPECT_THAT(t, type == REG_BINARY && size == 8, "double as 8 bytes");
    RegQueryValueExA(key, "ForceMaze", nullptr, &type, nullptr, &size);
    EXPECT_THAT(t, type == REG_DWORD && size == 4, "Boolean as a DWORD");
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, TestKey);
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) ArtifactsDir = argv[1];
  TSuite suite;
  StartUpCases(suite);
  PreviewCases(suite);
  SoundCases(suite);
  ResourceCases(suite);
  DialogCases(suite);
  RegistryCases(suite);
  return suite.Run();
}
