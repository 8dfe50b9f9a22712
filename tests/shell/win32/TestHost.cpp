// detonix-testhost: plays the host's part for detonix.scr under Wine. It makes the display
// settings' preview window, starts the saver in its modes and watches what it does from outside,
// and reads and works the settings dialog through window messages.
//   preview SCR [W H]          a W x H host window (152 x 112) and SCR /p <handle> in it
//   preview-orphan SCR         the same, then this process ends without destroying its window;
//                              prints the saver's process id
//   wait-exit PID MS           the process ends within MS milliseconds
//   expect-exit MS SCR ARGS... SCR ARGS ends within MS milliseconds without showing a window;
//                              an argument HOST stands for a window of this process
//   find-class CLASS [MS]      a visible top-level window of that class exists (waits up to MS)
//   wait-gone CLASS MS         no window of that class is left within MS milliseconds
//   dialog-state [MS]          the settings dialog's controls, one key=value a line
//   dialog-click ID            clicks a control of the settings dialog
//   dialog-select ID INDEX     picks an item of a list of the settings dialog
//   dialog-set-text ID TEXT    types into a field of the settings dialog
//   dialog-page INDEX          brings a page of the settings dialog to the front
//   dialog-close               closes the settings dialog with its close box
//   message-box MS             reads the text of the program's message box and its owner chain,
//                              and presses OK
//   foreground                 the class of the window in front
//   display-mode W H           sets the display's mode
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/win32/resource.h"

namespace {

constexpr const char* DialogCaption = "Detonix Screen Saver Settings";
constexpr DWORD PreviewStyle = WS_CHILD | WS_CLIPSIBLINGS;

int Failures = 0;

void Report(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++Failures;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Waits for CONDITION up to MS milliseconds, keeping this process's windows alive meanwhile.
template <typename F>
bool WaitFor(DWORD ms, F condition) {
  const DWORD start = GetTickCount();
  for (;;) {
    Pump();
    if (condition()) return true;
    if (GetTickCount() - start >= ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

HANDLE Start(const std::string& program, const std::vector<std::string>& args, DWORD* pid = nullptr) {
  std::string line = "\"" + program + "\"";
  for (const auto& a : args) line += " " + a;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("cannot start %s (error %lu)\n", line.c_str(), static_cast<unsigned long>(GetLastError()));
    return nullptr;
  }
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return pi.hProcess;
}

bool Exited(HANDLE process, DWORD ms) {
  return WaitFor(ms, [process] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; });
}

HWND MakeHost(int width, int height) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "DetonixPreviewHost";
  RegisterClassA(&wc);
  // A frameless popup: its outer rectangle is exactly the size asked for.
  return CreateWindowExA(0, wc.lpszClassName, "Display settings preview", WS_POPUP | WS_VISIBLE, 40, 40, width,
                         height, nullptr, nullptr, wc.hInstance, nullptr);
}

std::string HandleText(HWND hwnd) { return std::to_string(static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd))); }

// Starts the preview in a host of W x H and checks the child it makes; the host is returned.
HWND StartPreview(const std::string& scr, int width, int height, HANDLE& process, DWORD* pid) {
  const HWND host = MakeHost(width, height);
  process = Start(scr, {"/p", HandleText(host)}, pid);
  Report(process != nullptr, "the saver starts with /p " + HandleText(host));
  if (!process) return host;
  HWND child = nullptr;
  const bool appeared = WaitFor(10000, [&] {
    child = GetWindow(host, GW_CHILD);
    return child != nullptr;
  });
  Report(appeared, "a child window appears in the host's window");
  if (!appeared) return host;
  // It may be seen between its creation and its showing.
  Report(WaitFor(5000, [child] { return IsWindowVisible(child) != 0; }), "the child is shown");
  RECT r{};
  GetWindowRect(child, &r);
  POINT corner{r.left, r.top};
  ScreenToClient(host, &corner);
  Report(r.right - r.left == width && r.bottom - r.top == height,
         "the child is " + std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top) + ", as the host");
  Report(corner.x == 0 && corner.y == 0, "the child sits at (" + std::to_string(corner.x) + ", " +
                                             std::to_string(corner.y) + ") of the host");
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(style));
  Report((style & ~WS_VISIBLE) == PreviewStyle, std::string("the child's style is WS_CHILD | WS_CLIPSIBLINGS (") + hex + ")");
  return host;
}

int Preview(const std::string& scr, int width, int height) {
  HANDLE process = nullptr;
  const HWND host = StartPreview(scr, width, height, process, nullptr);
  if (!process) return 1;
  // It keeps running while the host's window is there.
  Report(!Exited(process, 1500), "the saver runs on while the host's window is there");
  DestroyWindow(host);
  Report(Exited(process, 5000), "the saver ends within 5 s of the host's window going away");
  TerminateProcess(process, 1);  // only if it is still there
  CloseHandle(process);
  return Failures == 0 ? 0 : 1;
}

int PreviewOrphan(const std::string& scr) {
  HANDLE process = nullptr;
  DWORD pid = 0;
  StartPreview(scr, 152, 112, process, &pid);
  if (!process) return 1;
  std::printf("PID %lu\n", static_cast<unsigned long>(pid));
  std::fflush(stdout);
  CloseHandle(process);
  // Ends with the window still there: nothing tells the child its parent is gone.
  ExitProcess(Failures == 0 ? 0 : 1);
}

int WaitExit(DWORD pid, DWORD ms) {
  const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  if (!process) {
    Report(true, "process " + std::to_string(pid) + " has already ended");
    return 0;
  }
  const bool ended = Exited(process, ms);
  Report(ended, "process " + std::to_string(pid) + " ends within " + std::to_string(ms) + " ms");
  if (!ended) TerminateProcess(process, 1);
  CloseHandle(process);
  return ended ? 0 : 1;
}

struct TWindowSearch {
  DWORD Pid;
  bool Seen = false;
};

int ExpectExit(DWORD ms, const std::string& scr, std::vector<std::string> args) {
  std::string joined;
  for (auto& a : args) {
    joined += " " + a;
    if (a == "HOST") a = HandleText(MakeHost(152, 112));
  }
  DWORD pid = 0;
  const HANDLE process = Start(scr, args, &pid);
  if (!process) return 1;
  TWindowSearch search{pid};
  const bool ended = WaitFor(ms, [&] {
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<TWindowSearch*>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(hwnd, &owner);
          if (owner == s->Pid && IsWindowVisible(hwnd)) s->Seen = true;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  });
  Report(ended, "'" + joined + "' ends within " + std::to_string(ms) + " ms");
  Report(!search.Seen, "'" + joined + "' shows no window");
  if (!ended) TerminateProcess(process, 1);
  CloseHandle(process);
  return Failures == 0 ? 0 : 1;
}

int FindClass(const std::string& name, DWORD ms) {
  HWND found = nullptr;
  WaitFor(ms, [&] {
    found = FindWindowA(name.c_str(), nullptr);
    return found && IsWindowVisible(found);
  });
  if (!found) {
    std::printf("NOTFOUND %s\n", name.c_str());
    return 1;
  }
  RECT r{};
  GetWindowRect(found, &r);
  char caption[128] = {};
  GetWindowTextA(found, caption, sizeof caption);
  // A top-level window gets a task bar button unless it is owned, or a tool window, and not
  // marked as an application window.
  const HWND owner = GetWindow(found, GW_OWNER);
  const auto ex = static_cast<unsigned long>(GetWindowLongPtrA(found, GWL_EXSTYLE));
  const auto ownerEx = owner ? static_cast<unsigned long>(GetWindowLongPtrA(owner, GWL_EXSTYLE)) : 0ul;
  const bool button = (ex & WS_EX_APPWINDOW) || (!owner && !(ex & WS_EX_TOOLWINDOW)) ||
                      (owner && IsWindowVisible(owner) && !(ownerEx & WS_EX_TOOLWINDOW));
  std::printf("FOUND %s rect=%ld,%ld,%ld,%ld style=%08lX exstyle=%08lX taskbar=%d enabled=%d hwnd=%s caption=%s\n",
              name.c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top,
              static_cast<unsigned long>(GetWindowLongPtrA(found, GWL_STYLE)), ex, button ? 1 : 0,
              IsWindowEnabled(found) ? 1 : 0, HandleText(found).c_str(), caption);
  return 0;
}

int WaitGone(const std::string& name, DWORD ms) {
  return WaitFor(ms, [&] { return FindWindowA(name.c_str(), nullptr) == nullptr; }) ? 0 : 1;
}

HWND FindDialog(DWORD ms) {
  HWND dialog = nullptr;
  WaitFor(ms, [&] {
    dialog = FindWindowA("#32770", DialogCaption);
    return dialog != nullptr && IsWindowVisible(dialog);
  });
  return dialog;
}

// A control of the dialog or of one of its pages.
HWND Control(HWND dialog, int id) {
  struct TSearch {
    int Id;
    HWND Found;
  } search{id, nullptr};
  EnumChildWindows(
      dialog,
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<TSearch*>(param);
        if (GetDlgCtrlID(hwnd) != s->Id) return TRUE;
        s->Found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

std::string Text(HWND control) {
  char text[256] = {};
  // Another process's control: GetWindowText would not ask it.
  SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

int DialogState(DWORD ms) {
  const HWND dialog = FindDialog(ms);
  if (!dialog) {
    std::printf("NODIALOG\n");
    return 1;
  }
  RECT client{};
  GetClientRect(dialog, &client);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  std::printf("client=%ldx%ld\norigin=%ld,%ld\n", client.right, client.bottom, origin.x, origin.y);
  RECT frame{};
  GetWindowRect(dialog, &frame);
  std::printf("rect=%ld,%ld,%ld,%ld\nowner=%s\n", frame.left, frame.top, frame.right - frame.left,
              frame.bottom - frame.top, HandleText(GetWindow(dialog, GW_OWNER)).c_str());
  const int speeds[] = {IDC_SPEED_VERYFAST, IDC_SPEED_FAST, IDC_SPEED_NORMAL, IDC_SPEED_SLOW, IDC_SPEED_VERYSLOW};
  for (int i = 0; i < 5; ++i)
    if (SendMessageA(Control(dialog, speeds[i]), BM_GETCHECK, 0, 0) == BST_CHECKED)
      std::printf("speed=%s\n", Text(Control(dialog, speeds[i])).c_str());
  for (int id : {IDC_PLAYER1COMBO, IDC_PLAYER2COMBO}) {
    const HWND combo = Control(dialog, id);
    const auto sel = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    // Between processes Wine carries list texts whole only in the wide form.
    wchar_t wide[64] = {};
    char name[64] = {};
    if (sel >= 0 && SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0) < 63) {
      SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(wide));
      WideCharToMultiByte(CP_ACP, 0, wide, -1, name, sizeof name, nullptr, nullptr);
    }
    RECT r{};  // on the screen, for screenshots
    GetWindowRect(combo, &r);
    std::printf("player%d=%s\nplayer%d_rect=%ld,%ld,%ld,%ld\n", id == IDC_PLAYER1COMBO ? 1 : 2, name,
                id == IDC_PLAYER1COMBO ? 1 : 2, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  auto checked = [&](int id) { return SendMessageA(Control(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; };
  std::printf("forcemaze=%d\nsounds=%d\n", checked(IDC_FORCEMAZECBOX), checked(IDC_SOUNDSCBOX));
  std::printf("interval=%s\n", Text(Control(dialog, IDC_INTERVALSPINEDIT)).c_str());
  std::printf("interval_enabled=%d\n", IsWindowEnabled(Control(dialog, IDC_INTERVALSPINEDIT)) ? 1 : 0);
  std::printf("minutes_enabled=%d\n", IsWindowEnabled(Control(dialog, IDC_MINUTESLABEL)) ? 1 : 0);
  std::printf("osver=%s\nosbuild=%s\nmem=%s\n", Text(Control(dialog, IDC_OSVERLABEL)).c_str(),
              Text(Control(dialog, IDC_OSBUILDLABEL)).c_str(), Text(Control(dialog, IDC_MEMLABEL)).c_str());
  std::printf("version=%s\nlicence=%s\n", Text(Control(dialog, IDC_VERSIONLABEL)).c_str(),
              Text(Control(dialog, IDC_LICENCELABEL)).c_str());
  GUITHREADINFO gui{};  // which control has the keyboard
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
  std::printf("focus=%d\n", gui.hwndFocus ? GetDlgCtrlID(gui.hwndFocus) : 0);
  std::printf("page=%ld\n", static_cast<long>(SendMessageA(Control(dialog, IDC_PAGECONTROL), TCM_GETCURSEL, 0, 0)));
  std::printf("ok=%s\ncancel=%s\n", Text(Control(dialog, IDOK)).c_str(), Text(Control(dialog, IDCANCEL)).c_str());
  const int places[][5] = {{IDC_PAGECONTROL, 0, 0, 0, 0}, {IDOK, 0, 0, 0, 0}, {IDCANCEL, 0, 0, 0, 0},
                           {IDC_PSPEEDRG, 0, 0, 0, 0},   {IDC_FORCEMAZECBOX, 0, 0, 0, 0}, {IDC_SOUNDSCBOX, 0, 0, 0, 0}};
  for (const auto& p : places) {
    RECT r{};
    const HWND control = Control(dialog, p[0]);
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    std::printf("place%d=%ld,%ld,%ld,%ld\n", p[0], r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  return 0;
}

int DialogClick(int id) {
  const HWND dialog = FindDialog(5000);
  const HWND control = dialog ? Control(dialog, id) : nullptr;
  if (!control) return 1;
  // Posted, so OK and Cancel may end the dialog without this call waiting on it.
  PostMessageA(control, BM_CLICK, 0, 0);
  return 0;
}

int DialogSelect(int id, int index) {
  const HWND dialog = FindDialog(5000);
  const HWND combo = dialog ? Control(dialog, id) : nullptr;
  if (!combo) return 1;
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // A pick by the user also tells the list's parent.
  SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return 0;
}

int DialogSetText(int id, const std::string& text) {
  const HWND dialog = FindDialog(5000);
  const HWND control = dialog ? Control(dialog, id) : nullptr;
  if (!control) return 1;
  SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return 0;
}

int DialogPage(int index) {
  const HWND dialog = FindDialog(5000);
  const HWND tabs = dialog ? Control(dialog, IDC_PAGECONTROL) : nullptr;
  if (!tabs) return 1;
  // The tab is worked from the keyboard: a click's position would need TCM_GETITEMRECT, whose
  // rectangle does not travel between processes. The control tells its dialog of the change.
  for (int i = 0; i < 2; ++i) SendMessageA(tabs, WM_KEYDOWN, VK_LEFT, 0);  // back to the first page
  for (int i = 0; i < index; ++i) SendMessageA(tabs, WM_KEYDOWN, VK_RIGHT, 0);
  return 0;
}

int DialogClose() {
  const HWND dialog = FindDialog(5000);
  if (!dialog) return 1;
  PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  return 0;
}

int MessageBoxText(DWORD ms) {
  HWND box = nullptr;
  WaitFor(ms, [&] {
    box = FindWindowA("#32770", "Detonix ScreenSaver");
    return box != nullptr;
  });
  if (!box) {
    std::printf("NOMESSAGE\n");
    return 1;
  }
  std::printf("message=%s\n", Text(GetDlgItem(box, 0xFFFF)).c_str());
  // Its owner chain ends in a tool window, or the box gets a task bar button of its own.
  HWND last = box;
  for (HWND owner = GetWindow(box, GW_OWNER); owner; owner = GetWindow(owner, GW_OWNER)) last = owner;
  std::printf("owner_chain_tool=%d\n", last != box && (GetWindowLongPtrA(last, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) ? 1 : 0);
  std::fflush(stdout);
  PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  return 0;
}

// The class of the window in front.
int Foreground() {
  char name[64] = {};
  GetClassNameA(GetForegroundWindow(), name, sizeof name);
  std::printf("%s\n", name);
  return 0;
}

// Sets the display's mode, as a program of the desktop's would.
int DisplayMode(int width, int height) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  return ChangeDisplaySettingsA(&mode, 0) == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> a(argv + 1, argv + argc);
  auto number = [&](size_t i, long fallback) { return i < a.size() ? std::strtol(a[i].c_str(), nullptr, 10) : fallback; };
  if (a.empty()) return 2;
  const std::string& command = a[0];
  if (command == "preview" && a.size() >= 2) return Preview(a[1], static_cast<int>(number(2, 152)), static_cast<int>(number(3, 112)));
  if (command == "preview-orphan" && a.size() >= 2) return PreviewOrphan(a[1]);
  if (command == "wait-exit" && a.size() >= 3) return WaitExit(static_cast<DWORD>(number(1, 0)), static_cast<DWORD>(number(2, 5000)));
  if (command == "expect-exit" && a.size() >= 3)
    return ExpectExit(static_cast<DWORD>(number(1, 5000)), a[2], std::vector<std::string>(a.begin() + 3, a.end()));
  if (command == "find-class" && a.size() >= 2) return FindClass(a[1], static_cast<DWORD>(number(2, 0)));
  if (command == "wait-gone" && a.size() >= 3) return WaitGone(a[1], static_cast<DWORD>(number(2, 5000)));
  if (command == "dialog-state") return DialogState(static_cast<DWORD>(number(1, 10000)));
  if (command == "dialog-click" && a.size() >= 2) return DialogClick(static_cast<int>(number(1, 0)));
  if (command == "dialog-select" && a.size() >= 3) return DialogSelect(static_cast<int>(number(1, 0)), static_cast<int>(number(2, 0)));
  if (command == "dialog-set-text" && a.size() >= 3) return DialogSetText(static_cast<int>(number(1, 0)), a[2]);
  if (command == "dialog-page" && a.size() >= 2) return DialogPage(static_cast<int>(number(1, 0)));
  if (command == "dialog-close") return DialogClose();
  if (command == "foreground") return Foreground();
  if (command == "display-mode" && a.size() >= 3) return DisplayMode(static_cast<int>(number(1, 0)), static_cast<int>(number(2, 0)));
  if (command == "message-box") return MessageBoxText(static_cast<DWORD>(number(1, 10000)));
  std::fprintf(stderr, "detonix-testhost: unknown command\n");
  return 2;
}
