// The Windows shell's own cases, run in-process under Wine: start-up parsing, the preview's board
// and drawing, the sound back end and its resource, and the dialog's texts. The close rule and the
// preview's cell size are the game host's.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/Sounds.h"
#include "media/WaveResources.h"
#include "platform/Png.h"
#include "shell/win32/AboutTexts.h"
#include "shell/win32/ConfigurationFrm.h"
#include "shell/win32/MainFrm.h"
#include "shell/win32/PreviewFrm.h"
#include "shell/win32/StartUp.h"
#include "shell/win32/Win32Shell.h"
#include "shell/win32/Win32Sound.h"
#include "shell/win32/resource.h"
#include "ResourceVersion.h"

using namespace detonix;
using namespace detonix::win32;

namespace {

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

// A preview's run in a host window of the given size, on a real clock, started.
struct TPreviewCase {
  TPreviewCase(int width, int height)
      : Host(MakeHostWindow(width, height)), App(Clock), Shell(App, TRunMode::rmPreview, nullptr),
        Form(Shell.Screens(), Host) {
    Preview = Form.Create(GetModuleHandleA(nullptr));
    if (Preview) Shell.Screens().Start();
  }
  HWND Host;
  TRealClock Clock;
  TApplication App;
  TWin32Shell Shell;
  TPreviewForm Form;
  HWND Preview = nullptr;
};

// Runs the run's loop for about MS milliseconds of real time, or until the run ends.
void RunFor(TWin32Shell& shell, DWORD ms) {
  const DWORD until = GetTickCount() + ms;
  shell.StillWanted = [until] { return static_cast<LONG>(GetTickCount() - until) < 0; };
  shell.Screens().Run();
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

TEST(StartUp, SwitchesChooseTheMode) {
  struct TCase {
    std::vector<std::string> Args;
    TRunMode Mode;
  };
  const std::vector<TCase> cases = {
      {{}, TRunMode::rmConfigure},          {{"/s"}, TRunMode::rmSaver},
      {{"-s"}, TRunMode::rmSaver},          {{"/S"}, TRunMode::rmSaver},
      {{"/saver"}, TRunMode::rmNone},       {{"/s1"}, TRunMode::rmNone},
      {{"/x"}, TRunMode::rmNone},           {{"/"}, TRunMode::rmNone},
      {{""}, TRunMode::rmNone},             {{"/c"}, TRunMode::rmConfigure},
      {{"/C:1234"}, TRunMode::rmConfigure}, {{"/config"}, TRunMode::rmConfigure},
      {{"/p"}, TRunMode::rmNone},           {{"/p", "0"}, TRunMode::rmNone},
      {{"/p", "abc"}, TRunMode::rmNone},    {{"/p:1234"}, TRunMode::rmNone},
      {{"/a"}, TRunMode::rmNone},           {{"/s", "extra", "args"}, TRunMode::rmSaver},
  };
  for (const TCase& c : cases) {
    std::string joined;
    for (const auto& a : c.Args) joined += "'" + a + "' ";
    const TStartUp s = ParseCommandLine(c.Args);
    EXPECT_EQ(static_cast<int>(s.Mode), static_cast<int>(c.Mode)) << "args " << joined;
  }
}

TEST(StartUp, PreviewPasswordAndSettingsTakeAnExistingWindow) {
  const HWND host = MakeHostWindow(50, 50);
  const std::string handle = std::to_string(static_cast<int32_t>(reinterpret_cast<intptr_t>(host)));
  TStartUp s = ParseCommandLine({"/p", handle});
  EXPECT_TRUE(s.Mode == TRunMode::rmPreview && s.ParentWindow == host) << "preview of " + handle;
  s = ParseCommandLine({"/P", handle, "ignored"});
  EXPECT_TRUE(s.Mode == TRunMode::rmPreview) << "upper-case switch";
  s = ParseCommandLine({"/a", handle});
  EXPECT_TRUE(s.Mode == TRunMode::rmChangePassword && s.ParentWindow == host) << "password for " + handle;
  s = ParseCommandLine({"/p:" + handle});
  EXPECT_TRUE(s.Mode == TRunMode::rmNone) << "handle in the same argument";
  for (const auto& args : {std::vector<std::string>{"/c:" + handle}, {"/C", handle}})
    EXPECT_TRUE(ParseCommandLine(args).ParentWindow == host) << "the settings owned by " + args.back();
  DestroyWindow(host);
  s = ParseCommandLine({"/p", handle});
  EXPECT_TRUE(s.Mode == TRunMode::rmNone) << "a window that is gone";
  s = ParseCommandLine({"/c:" + handle});
  EXPECT_TRUE(s.Mode == TRunMode::rmConfigure && s.ParentWindow == nullptr) << "settings for a window that is gone";
  EXPECT_TRUE(ParseCommandLine({"/s"}).PreviousForegroundWindow == GetForegroundWindow()) << "foreground kept";
}

TEST(StartUp, IsIntegerTakesSigned32BitDecimalsOnly) {
  for (const char* good : {"0", "123", "-5", "+7", "2147483647", "-2147483648"})
    EXPECT_TRUE(IsInteger(good)) << good;
  for (const char* bad : {"", "-", "12a", "0x10", " 1", "1 ", "2147483648", "-2147483649", "1.5"})
    EXPECT_FALSE(IsInteger(bad)) << "'" << bad << "'";
}

TEST(Preview, HostOf152By112ShowsARunning15By11BoardOf10PixelCells) {
  TPreviewCase c(152, 112);
  auto& [host, clock, app, shell, form, preview] = c;
  EXPECT_TRUE(preview != nullptr) << "created";
  if (!preview) return;
  RunFor(shell, 1500);
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(preview, GWL_STYLE));
  EXPECT_EQ(style & ~WS_VISIBLE, TPreviewForm::PreviewStyle) << "style " << style;
  EXPECT_EQ(GetParent(preview), host) << "child of the host";
  RECT r{};
  GetWindowRect(preview, &r);
  EXPECT_TRUE(r.right - r.left == 152 && r.bottom - r.top == 112 && r.left == 0 && r.top == 0) << "placed at (0, 0)";
  TDetonixSimulator* sim = form.Host().Simulator();
  EXPECT_TRUE(sim != nullptr) << "game running";
  if (sim) {
    const TGameState& s = sim->State();
    EXPECT_EQ(s.CellSize, 10);
    EXPECT_EQ(s.ColCount, 15);
    EXPECT_EQ(s.RowCount, 11);
    EXPECT_TRUE(sim->IsPreview() && !sim->SoundsOn()) << "silent preview";
    const TPaintSurface& surface = *form.Host().Surface();
    EXPECT_FALSE(AllBlack(surface)) << "the board is drawn";
    EXPECT_GE(DistinctColours(surface), 4) << "blocks, floor and players, not one flat colour";
    // A picture for people to look at, where the Wine tests keep theirs.
    if (const char* dir = std::getenv("DETONIX_TEST_ARTIFACTS")) SavePng(surface.Bitmap(), std::string(dir) + "\\preview.png");
  }
  DestroyWindow(host);  // takes the preview with it
  EXPECT_FALSE(IsWindow(preview)) << "the preview goes with its host";
}

TEST(Preview, HostNarrowerThan14PixelsStaysBlackAndKeepsRunning) {
  TPreviewCase c(13, 112);
  auto& [host, clock, app, shell, form, preview] = c;
  EXPECT_TRUE(preview != nullptr) << "created";
  if (!preview) return;
  RunFor(shell, 600);
  EXPECT_TRUE(IsWindow(preview)) << "still there";
  EXPECT_TRUE(!form.Host().Simulator()) << "no game";
  if (form.Host().Surface()) {
    EXPECT_TRUE(AllBlack(*form.Host().Surface())) << "black";
  }
  EXPECT_TRUE(app.Messages().empty()) << "nothing said";
  DestroyWindow(host);
}

TEST(Preview, HostClosingWhileTheGamePumpsMessagesLeavesTheGameAliveToTheLoopsEnd) {
  TPreviewCase c(152, 112);
  auto& [host, clock, app, shell, form, preview] = c;
  RunFor(shell, 300);
  TDetonixSimulator* sim = form.Host().Simulator();
  EXPECT_TRUE(sim != nullptr) << "game running";
  if (!sim) return;
  PostMessageA(host, WM_CLOSE, 0, 0);
  sim->SetPaused(true);  // pumps pending messages, as the game does when it stops
  EXPECT_FALSE(IsWindow(preview)) << "the window went inside the game's call";
  EXPECT_TRUE(form.Host().Simulator() == sim) << "the game is still there for the rest of it";
  sim->SetPaused(false);
  EXPECT_TRUE(shell.Screens().Ended()) << "the run ends at its loop's next turn";
}

TEST(Preview, LoopEndsSoonAfterTheHostWindowIsDestroyed) {
  TPreviewCase c(152, 112);
  auto& [host, clock, app, shell, form, preview] = c;
  EXPECT_TRUE(preview != nullptr) << "created";
  // The host goes away while the game runs, from a timer of its own.
  SetTimer(host, 1, 400, [](HWND hwnd, UINT, UINT_PTR, DWORD) { DestroyWindow(hwnd); });
  RunFor(shell, 10000);
  EXPECT_FALSE(IsWindow(host) || IsWindow(preview)) << "both gone when the loop ended";
  EXPECT_TRUE(shell.Screens().Ended()) << "which ended the run";
}

// Monitors as EnumDisplayMonitors would list them (the scale rules are the screens', tested in
// tests/host): each window covers its monitor, and a key on one closes them all.
TEST(Saver, EveryMonitorHasAWindowWithABoardOfItsScaleAndAKeyOnAnyEndsThemAll) {
  const std::vector<TMonitor> monitors = {
      {TRect{0, 0, 750, 600}, 120}, {TRect{750, 0, 1650, 675}, 144}, {TRect{-1200, 0, 0, 900}, 192}};
  TRealClock clock;
  TApplication app(clock);
  TSaverWindows windows(app, monitors, nullptr);
  ASSERT_TRUE(windows.Start(GetModuleHandleA(nullptr)));
  RunFor(windows.Shell(), 800);
  for (const auto& form : windows.Forms()) {
    const TMonitor& m = form->Monitor();
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    EXPECT_TRUE(r.left == m.Bounds.Left && r.top == m.Bounds.Top && r.right == m.Bounds.Right &&
                r.bottom == m.Bounds.Bottom) << "window covers the monitor at " << m.Bounds.Left;
    const TDetonixSimulator* sim = form->Host().Simulator();
    ASSERT_TRUE(sim != nullptr) << "a game on the monitor at " << m.Bounds.Left;
    EXPECT_EQ(sim->State().CellSize, ScaledCellSize(m.Dpi)) << m.Dpi << " dpi";
  }
  // A key typed: the input a pause leaves for the loop, while Windows goes on.
  SetForegroundWindow(windows.Forms().back()->Handle());
  INPUT key{};
  key.type = INPUT_KEYBOARD;
  key.ki.wVk = 'A';
  SendInput(1, &key, sizeof key);
  TDetonixSimulator* first = windows.Forms().front()->Host().Simulator();
  first->SetPaused(true);
  EXPECT_FALSE(windows.Shell().Screens().Ended()) << "the key waits for the loop";
  first->SetPaused(false);
  RunFor(windows.Shell(), 5000);
  for (const auto& form : windows.Forms())
    EXPECT_TRUE(form->Host().Ended()) << "a key ends the board at " << form->Monitor().Bounds.Left;
}

// Monitors that go and come while the saver runs: the window of the one gone closes without
// ending the run, and a new one gets a window with a board of its scale.
TEST(Saver, WindowsFollowMonitorsThatGoAndCome) {
  TRealClock clock;
  TApplication app(clock);
  const TMonitor first{TRect{0, 0, 640, 480}};
  TSaverWindows windows(app, {first, {TRect{640, 0, 1280, 480}}}, nullptr);
  ASSERT_TRUE(windows.Start(GetModuleHandleA(nullptr)));
  const HWND gone = windows.Forms().back()->Handle();
  windows.FollowMonitors({first});
  windows.FollowMonitors({first, {TRect{0, 480, 800, 1080}, 144}});
  RunFor(windows.Shell(), 500);
  EXPECT_FALSE(IsWindow(gone) || windows.Shell().Screens().Ended()) << "the window went with its monitor, and only it";
  ASSERT_EQ(windows.Forms().size(), 2u);
  EXPECT_EQ(windows.Forms().back()->Host().Simulator()->State().CellSize, 45) << "a board at the new monitor's scale";
}

TEST(Resources, ManifestMakesTheProgramDpiAwareAndThemed) {
  EXPECT_TRUE(FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) != nullptr) << "an RT_MANIFEST resource";
  // Windows applied it, so it parsed: the process knows the monitors' dots per inch...
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  using TIsAware = BOOL(WINAPI*)();
  const auto isAware = reinterpret_cast<TIsAware>(reinterpret_cast<void*>(GetProcAddress(user32, "IsProcessDPIAware")));
  EXPECT_TRUE(isAware && isAware()) << "DPI aware";
  // ...and loads the common controls of version 6 (the loader follows the manifest), which live
  // in the side-by-side store on Windows as under Wine. Wine's report no other version number.
  const HMODULE comctl = LoadLibraryA("comctl32.dll");
  char path[MAX_PATH] = {};
  GetModuleFileNameA(comctl, path, MAX_PATH);
  std::string lower(path);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  EXPECT_NE(lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6."), std::string::npos) << path;
  if (comctl) FreeLibrary(comctl);
}

TEST(Sound, ModuleCarriesTheExplosionAsAWaveResourceFoundInAnyCase) {
  const auto upper = FindModuleWave("EXPLOSION");
  const auto lower = FindModuleWave("explosion");
  const auto wave = ExplosionWave();
  EXPECT_EQ(upper.size(), 176456u);
  EXPECT_EQ(lower.data(), upper.data()) << "one resource";
  EXPECT_EQ(wave.data(), upper.data()) << "the program's explosion is the resource itself, not a second copy";
  EXPECT_TRUE(upper.size() > 12 && std::memcmp(upper.data(), "RIFF", 4) == 0 &&
                     std::memcmp(upper.data() + 8, "WAVE", 4) == 0) << "a RIFF/WAVE image";
  EXPECT_TRUE(FindModuleWave("bang").empty()) << "no other sound";
}

TEST(Sound, RequestMakesAWorkerOnlyWhenThereIsAWaveDevice) {
  auto sound = std::make_shared<TWatchedSound>();
  const int devices = sound->WaveOutDeviceCount();
  PlaySoundResource(sound, "explosion");
  PlaySoundResource(sound, "explosion");
  EXPECT_EQ(sound->Workers, devices == 0 ? 0 : 2) << devices << " devices";
  EXPECT_EQ(sound->Plays, devices == 0 ? 0 : 2) << devices << " devices";
  PlaySoundResource(sound, "bang");
  EXPECT_EQ(sound->Plays, devices == 0 ? 0 : 2) << "a missing resource plays nothing";
}

TEST(Sound, WorkerRunsOnAThreadOfItsOwnWhichEndsByItself) {
  TWin32SoundOutput sound;
  const HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> thread{0};
  sound.StartWorker([&thread, done] {
    thread = GetCurrentThreadId();
    SetEvent(done);
  });
  EXPECT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0) << "the body ran";
  EXPECT_TRUE(thread != 0 && thread != GetCurrentThreadId()) << "on another thread";
  CloseHandle(done);
}

TEST(Resources, IconAndVersionBlockNameTheProgram) {
  const HINSTANCE module = GetModuleHandleA(nullptr);
  EXPECT_TRUE(LoadIconA(module, MAKEINTRESOURCEA(IDI_DETONIX)) != nullptr) << "icon";
  const HICON small = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(IDI_DETONIX), IMAGE_ICON, 16, 16, 0));
  EXPECT_TRUE(small != nullptr) << "a 16-pixel icon";
  if (small) DestroyIcon(small);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  ASSERT_GT(size, 0u) << "a version block";
  std::vector<char> block(size);
  GetFileVersionInfoA(path, 0, size, block.data());
  char* text = nullptr;
  UINT length = 0;
  VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileDescription", reinterpret_cast<void**>(&text), &length);
  EXPECT_TRUE(text && std::string(text) == "Detonix Screen Saver") << "description";
  VS_FIXEDFILEINFO* fixed = nullptr;
  VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length);
  const WORD version[] = {DETONIX_VERSION_RC};  // the project's, as CMake writes it
  EXPECT_TRUE(fixed && HIWORD(fixed->dwFileVersionMS) == version[0] && LOWORD(fixed->dwFileVersionMS) == version[1] &&
              HIWORD(fixed->dwFileVersionLS) == version[2])
      << "the project's version";
  char name[64] = {};
  LoadStringA(module, 1, name, sizeof name);
  EXPECT_STREQ(name, "Detonix") << "the name the display settings list";
}

TEST(Dialog, SpeedsMapToRadioPositionsOthersToNormal) {
  for (int i = 0; i < static_cast<int>(PlayerSpeeds.size()); ++i)
    EXPECT_EQ(TConfigurationForm::SpeedToIndex(PlayerSpeeds[i]), i) << PlayerSpeeds[i];
  for (int32_t odd : {0, -5, 175, 301}) EXPECT_EQ(TConfigurationForm::SpeedToIndex(odd), 2) << odd;
}

TEST(Dialog, AboutTextsForEachPlatform) {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
  v.dwMajorVersion = 4;
  v.dwMinorVersion = 10;
  v.dwBuildNumber = 0x04000A22;  // the 95 family keeps the version in the high word
  v.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  std::strcpy(v.szCSDVersion, " A ");
  auto texts = VersionTexts(&v);
  EXPECT_TRUE(texts.OSVer == "Windows 98" && texts.OSBuild == "Build 4.10.2594  A ") << texts.OSBuild;
  v.dwPlatformId = VER_PLATFORM_WIN32_NT;
  v.dwMajorVersion = 6;
  v.dwMinorVersion = 1;
  v.dwBuildNumber = 7601;
  std::strcpy(v.szCSDVersion, "Service Pack 1");
  texts = VersionTexts(&v);
  EXPECT_TRUE(texts.OSVer == "Windows NT" && texts.OSBuild == "Build 6.1.7601 Service Pack 1") << texts.OSBuild;
  std::memset(v.szCSDVersion, 'x', sizeof v.szCSDVersion);  // a full field without its terminator
  texts = VersionTexts(&v);
  EXPECT_EQ(texts.OSBuild.size(), std::strlen("Build 6.1.7601 ") + 128) << "unterminated service pack text";
  v.dwPlatformId = VER_PLATFORM_WIN32s;
  texts = VersionTexts(&v);
  EXPECT_TRUE(texts.OSVer == "Win32s on Windows 3.1" && !texts.SetBuild) << texts.OSVer;
  v.dwPlatformId = 7;
  texts = VersionTexts(&v);
  EXPECT_TRUE(texts.OSVer == "Unknown OS" && !texts.SetBuild) << texts.OSVer;
  texts = VersionTexts(nullptr);
  EXPECT_TRUE(texts.OSVer.empty() && texts.OSBuild.empty() && texts.SetBuild) << "failed query empties both";
}

TEST(Dialog, MemoryInRoundedKilobytesWithTheThousandsSeparatorBeyond4GB) {
  EXPECT_EQ(MemoryText(0, ","), "Total Memory: 0 KB") << "zero";
  EXPECT_EQ(MemoryText(1535, ","), "Total Memory: 1 KB") << "rounds down";
  EXPECT_EQ(MemoryText(1536, ","), "Total Memory: 2 KB") << "rounds half up";
  EXPECT_EQ(MemoryText(1024ull * 999, ","), "Total Memory: 999 KB") << "no separator";
  EXPECT_EQ(MemoryText(1024ull * 1000, "."), "Total Memory: 1.000 KB") << "user's separator";
  EXPECT_EQ(MemoryText(8ull << 30, ","), "Total Memory: 8,388,608 KB") << "8 GB, not 0";
}

}  // namespace
