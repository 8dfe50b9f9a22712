#include "shell/win32/ConfigurationFrm.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "DetonixVersion.h"
#include "media/Pictures.h"
#include "platform/Canvas.h"
#include "shell/win32/AboutTexts.h"
#include "shell/win32/Monitors.h"
#include "shell/win32/resource.h"

// Dialog procedures answer through DWLP_MSGRESULT; this is HANDLE_MSG for them.
#define HANDLE_DLGMSG(hwnd, message, fn) \
  case (message):                        \
    return SetDlgMsgResult(hwnd, message, HANDLE_##message((hwnd), (wParam), (lParam), (fn)))

namespace detonix::win32 {

namespace {

constexpr int ItemHeight = 32;
constexpr int VisibleItems = 4;
constexpr int PictureTextGap = 10;

// The minutes the interval field offers, and how many digits it therefore takes.
constexpr TRange IntervalRange = *SettingRowOf(&TSettings::ForceInterval).Offered;
constexpr auto IntervalMin = static_cast<int32_t>(IntervalRange.Low);
constexpr auto IntervalMax = static_cast<int32_t>(IntervalRange.High);
constexpr int IntervalDigits = [] {
  int digits = 1;
  for (int32_t n = IntervalMax; n >= 10; n /= 10) ++digits;
  return digits;
}();

struct TPlace {
  int Id;
  int X, Y, W, H;
};

// The dialog's one layout (Detonix.rc gives the controls no place or size): client pixels of the
// dialog, and of each page (whose origin is the page control's display area).
constexpr std::array<TPlace, 3> DialogLayout = {{
    {IDC_PAGECONTROL, 8, 8, 369, 265},
    {IDOK, 112, 280, 75, 25},
    {IDCANCEL, 192, 280, 75, 25},
}};

constexpr int GroupX = 128;  // "Choose Players"; its labels and lists are placed inside it
constexpr int GroupY = 8;
constexpr int IntervalButtonsWidth = 17;
constexpr std::array<TPlace, 17> SettingsLayout = {{
    {IDC_PSPEEDRG, 8, 8, 113, 121},
    {IDC_SPEED_VERYFAST, 18, 28, 95, 17},
    {IDC_SPEED_FAST, 18, 48, 95, 17},
    {IDC_SPEED_NORMAL, 18, 68, 95, 17},
    {IDC_SPEED_SLOW, 18, 88, 95, 17},
    {IDC_SPEED_VERYSLOW, 18, 108, 95, 17},
    {IDC_CHOOSEPLAYERSGBOX, GroupX, GroupY, 225, 121},
    {IDC_PLAYER1LABEL, GroupX + 16, GroupY + 30, 80, 17},
    {IDC_PLAYER1COMBO, GroupX + 104, GroupY + 19, 113, ItemHeight + 6 + VisibleItems * ItemHeight + 2},
    {IDC_PLAYER2LABEL, GroupX + 16, GroupY + 78, 80, 17},
    {IDC_PLAYER2COMBO, GroupX + 104, GroupY + 67, 113, ItemHeight + 6 + VisibleItems * ItemHeight + 2},
    {IDC_FORCEMAZEBEVEL, 8, 136, 345, 65},
    {IDC_FORCEMAZECBOX, 17, 144, 328, 17},
    {IDC_INTERVALSPINEDIT, 112, 168, 65 - IntervalButtonsWidth, 26},
    {IDC_INTERVALUPDOWN, 112 + 65 - IntervalButtonsWidth, 168, IntervalButtonsWidth, 26},
    {IDC_MINUTESLABEL, 184, 173, 60, 17},
    {IDC_SOUNDSCBOX, 16, 208, 105, 17},
}};

constexpr std::array<TPlace, 10> AboutLayout = {{
    {IDC_ABOUTBEVEL, 8, 8, 148, 148},
    {IDC_ABOUTIMAGE, 12, 12, AboutPictureSize, AboutPictureSize},
    {IDC_DETONIXLABEL, 168, 28, 185, 48},
    {IDC_VERSIONLABEL, 168, 88, 185, 17},
    {IDC_LICENCELABEL, 168, 108, 185, 34},  // two lines where the font is wide
    {IDC_SEPARATOR, 8, 164, 345, 2},
    {IDC_OSVERLABEL, 8, 173, 300, 16},
    {IDC_OSBUILDLABEL, 8, 189, 300, 16},
    {IDC_MEMLABEL, 8, 205, 300, 16},
    {IDC_ABOUTIMAGE2, 320, 192, PictureSize, PictureSize},
}};

// The settings page's controls and the settings they show. Each control writes its setting back
// only when the user changes it, so a stored value no control can show is kept until then.
constexpr std::array<int, 5> SpeedButtons = {IDC_SPEED_VERYFAST, IDC_SPEED_FAST, IDC_SPEED_NORMAL, IDC_SPEED_SLOW,
                                             IDC_SPEED_VERYSLOW};
constexpr std::array<std::pair<int, int32_t TSettings::*>, 2> CharacterLists = {
    {{IDC_PLAYER1COMBO, &TSettings::P1ImageIndex}, {IDC_PLAYER2COMBO, &TSettings::P2ImageIndex}}};
bool Ticked(HWND box) { return Button_GetCheck(box) == BST_CHECKED; }
int32_t CharacterChosen(HWND list) { return ComboBox_GetCurSel(list) * ImagesPerCharacter; }
// What only a ticked force-maze box enables.
constexpr std::array<int, 3> IntervalControls = {IDC_INTERVALSPINEDIT, IDC_INTERVALUPDOWN, IDC_MINUTESLABEL};

// The layout's pixels are those of 100 %; a scaled display gets them in proportion.
int Scaled(int pixels, int dpi) { return ScaledPixels(pixels, dpi); }

template <size_t N>
void Place(HWND parent, const std::array<TPlace, N>& layout, HFONT font, int dpi) {
  for (const TPlace& p : layout) {
    const HWND control = GetDlgItem(parent, p.Id);
    if (!control) continue;
    SetWindowPos(control, nullptr, Scaled(p.X, dpi), Scaled(p.Y, dpi), Scaled(p.W, dpi), Scaled(p.H, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

TColor FromColorRef(COLORREF c) { return RGBColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Copies a 32-bit top-down picture to the DC.
void Blit(HDC dc, int x, int y, const TBitmap& picture) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, picture.Width(), -picture.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  // SetDIBitsToDevice wants rows packed, which a 32-bit picture of stride width*4 is.
  if (picture.Stride() != picture.Width() * 4) return;
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(picture.Width()), static_cast<DWORD>(picture.Height()), 0, 0, 0,
                    static_cast<UINT>(picture.Height()), picture.Bits(), &info, DIB_RGB_COLORS);
}

// The picture over a plain background, where its mask is transparent.
TBitmap Over(const TMaskedBitmap& picture, TColor background) {
  TBitmap out(picture.Image.Width(), picture.Image.Height(), background);
  for (int y = 0; y < out.Height(); ++y)
    for (int x = 0; x < out.Width(); ++x)
      if ((picture.Mask.Pixel(x, y) & 0xFFFFFFu) == 0) out.SetPixel(x, y, picture.Image.Pixel(x, y));
  return out;
}

TFontHandle MakeFont(int pixelHeight, int weight, const char* face) {
  return TFontHandle(CreateFontA(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face));
}

}  // namespace

TConfigurationForm::TConfigurationForm(TSettingsStore& store) : FStore(store) {}

int TConfigurationForm::SpeedToIndex(int32_t speed) {
  const auto found = std::find(PlayerSpeeds.begin(), PlayerSpeeds.end(), speed);
  return found == PlayerSpeeds.end() ? DefaultSpeedIndex : static_cast<int>(found - PlayerSpeeds.begin());
}

INT_PTR TConfigurationForm::ShowModal(HINSTANCE instance, HWND owner) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  FormCreate();
  // The dialog's own loop hands every message to this filter before it works the keyboard.
  const HHOOK filter = SetWindowsHookExA(WH_MSGFILTER, MessageFilter, nullptr, GetCurrentThreadId());
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CONFIGURATION), owner, DialogProc,
                                         reinterpret_cast<LPARAM>(this));
  if (filter) UnhookWindowsHookEx(filter);
  return result;
}

// Ctrl+Tab and Ctrl+Shift+Tab go to the next and the previous page, as in every property sheet.
LRESULT CALLBACK TConfigurationForm::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB &&
      (GetKeyState(VK_CONTROL) & 0x8000)) {
    const HWND dialog = GetAncestor(msg->hwnd, GA_ROOT);
    auto* self = reinterpret_cast<TConfigurationForm*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self && self->FDialog == dialog) {
      const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
      const int pages = TabCtrl_GetItemCount(GetDlgItem(dialog, IDC_PAGECONTROL));
      const int now = TabCtrl_GetCurSel(GetDlgItem(dialog, IDC_PAGECONTROL));
      self->ShowPage((now + (back ? pages - 1 : 1)) % pages);
      return TRUE;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TConfigurationForm::FormCreate() {
  FSettings = LoadSettings(FStore);
}

INT_PTR CALLBACK TConfigurationForm::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
  auto* self = reinterpret_cast<TConfigurationForm*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  return self ? self->HandleDialogMessage(hwnd, msg, wParam, lParam) : FALSE;
}

// The pages pass what their controls report on to the dialog's handlers.
INT_PTR CALLBACK TConfigurationForm::PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    return FALSE;
  }
  if (msg == WM_MEASUREITEM) {  // comes while the lists are created, before WM_INITDIALOG
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    item->itemHeight = ItemHeight;
    return TRUE;
  }
  auto* self = reinterpret_cast<TConfigurationForm*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self || (msg != WM_COMMAND && msg != WM_DRAWITEM)) return FALSE;
  return self->HandleDialogMessage(hwnd, msg, wParam, lParam);
}

INT_PTR TConfigurationForm::HandleDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    HANDLE_DLGMSG(hwnd, WM_INITDIALOG, OnInitDialog);
    HANDLE_DLGMSG(hwnd, WM_COMMAND, OnCommand);
    HANDLE_DLGMSG(hwnd, WM_NOTIFY, OnNotify);
    HANDLE_DLGMSG(hwnd, WM_DRAWITEM, OnDrawItem);
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL TConfigurationForm::OnInitDialog(HWND hwnd, HWND, LPARAM) {
  FDialog = hwnd;
  FDpi = WindowDpi(hwnd);
  ScaleToDpi();
  const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
  FSettingsSheet = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS_PAGE), hwnd, PageProc,
                                      reinterpret_cast<LPARAM>(this));
  FAboutSheet = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT_PAGE), hwnd, PageProc,
                                   reinterpret_cast<LPARAM>(this));
  const HWND pages = GetDlgItem(hwnd, IDC_PAGECONTROL);
  for (const char* name : {"Settings", "About"}) {
    TCITEMA tab{TCIF_TEXT, 0, 0, const_cast<char*>(name), 0, 0, 0};
    TabCtrl_InsertItem(pages, TabCtrl_GetItemCount(pages), &tab);
  }
  LayOut();

  FLoading = true;  // the controls take the loaded values without echoing them back
  for (const auto& [id, setting] : CharacterLists) {
    for (std::string_view name : CharacterNames) ComboBox_AddString(Settings(id), std::string(name).c_str());
    ComboBox_SetCurSel(Settings(id), FSettings.*setting / ImagesPerCharacter);
  }
  CheckRadioButton(FSettingsSheet, SpeedButtons.front(), SpeedButtons.back(),
                   SpeedButtons[static_cast<size_t>(SpeedToIndex(FSettings.PlayerSpeed))]);
  Button_SetCheck(Settings(IDC_FORCEMAZECBOX), FSettings.ForceMaze ? BST_CHECKED : BST_UNCHECKED);
  Button_SetCheck(Settings(IDC_SOUNDSCBOX), FSettings.Sounds ? BST_CHECKED : BST_UNCHECKED);
  const HWND updown = Settings(IDC_INTERVALUPDOWN);
  SendMessageA(updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Settings(IDC_INTERVALSPINEDIT)), 0);
  Edit_LimitText(Settings(IDC_INTERVALSPINEDIT), IntervalDigits);
  // The field holds only what it offers, and what it shows is what OK will write.
  FSettings.ForceInterval = std::clamp(FSettings.ForceInterval, IntervalMin, IntervalMax);
  SetDlgItemInt(FSettingsSheet, IDC_INTERVALSPINEDIT, static_cast<UINT>(FSettings.ForceInterval), TRUE);
  FLoading = false;
  UpdateIntervalControls();
  FormShow();
  return TRUE;
}

// Fonts and pictures for the window's dots per inch: the layout's pixel heights in proportion,
// the pictures painted at their scaled size (enlarged, the filter would leave a pale rim).
void TConfigurationForm::ScaleToDpi() {
  FFont = MakeFont(Scaled(12, FDpi), FW_NORMAL, "MS Shell Dlg");
  FBoldFont = MakeFont(Scaled(12, FDpi), FW_BOLD, "MS Shell Dlg");
  FTitleFont = MakeFont(Scaled(19, FDpi), FW_BOLD, "Arial");
  FPlayerImages = CreateCharacterImages(Scaled(PictureSize, FDpi));
  FAboutImage = AboutPicture(Scaled(AboutPictureSize, FDpi));
  FAboutImage2 = BadgePicture(Scaled(PictureSize, FDpi));
}

// Moved to a monitor of another scale: everything again at the new one, where Windows suggests.
void TConfigurationForm::OnDpiChanged(int dpi, const RECT& suggested) {
  FDpi = dpi;
  ScaleToDpi();
  LayOut(&suggested);
  InvalidateRect(FDialog, nullptr, TRUE);
}

void TConfigurationForm::LayOut(const RECT* suggested) {
  // The client area is exactly the layout's; the window is whatever frame that needs.
  RECT frame{0, 0, Scaled(ClientWidth, FDpi), Scaled(ClientHeight, FDpi)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(FDialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(FDialog, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  // Centred over the window that asked for it, on its monitor; our hidden owner asks for nothing.
  RECT over = work;
  const HWND owner = GetWindow(FDialog, GW_OWNER);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (owner && IsWindowVisible(owner) && GetWindowRect(owner, &over) &&
      GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
    work = monitor.rcWork;
  const int left = suggested ? suggested->left
                             : std::max(work.left, std::min((over.left + over.right - width) / 2, work.right - width));
  const int top = suggested ? suggested->top
                            : std::max(work.top, std::min((over.top + over.bottom - height) / 2, work.bottom - height));
  SetWindowPos(FDialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  Place(FDialog, DialogLayout, FFont.Get(), FDpi);

  const HWND pages = GetDlgItem(FDialog, IDC_PAGECONTROL);
  RECT display{0, 0, Scaled(DialogLayout[0].W, FDpi), Scaled(DialogLayout[0].H, FDpi)};
  SendMessageA(pages, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  MapWindowPoints(pages, FDialog, reinterpret_cast<POINT*>(&display), 2);
  for (HWND sheet : {FSettingsSheet, FAboutSheet}) {
    // Just after the page control in the tab order, so Tab goes pages, OK, Cancel.
    SetWindowPos(sheet, pages, display.left, display.top, display.right - display.left, display.bottom - display.top,
                 SWP_NOACTIVATE);
  }
  Place(FSettingsSheet, SettingsLayout, FFont.Get(), FDpi);
  Place(FAboutSheet, AboutLayout, FFont.Get(), FDpi);
  for (const auto& [id, setting] : CharacterLists) {
    SendMessageA(Settings(id), WM_SETFONT, reinterpret_cast<WPARAM>(FBoldFont.Get()), FALSE);
    SendMessageA(Settings(id), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Scaled(ItemHeight, FDpi));
    SendMessageA(Settings(id), CB_SETITEMHEIGHT, 0, Scaled(ItemHeight, FDpi));
  }
  SendMessageA(About(IDC_DETONIXLABEL), WM_SETFONT, reinterpret_cast<WPARAM>(FTitleFont.Get()), FALSE);
}

void TConfigurationForm::ShowPage(int index) {
  TabCtrl_SetCurSel(GetDlgItem(FDialog, IDC_PAGECONTROL), index);
  ShowWindow(FSettingsSheet, index == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(FAboutSheet, index == 1 ? SW_SHOW : SW_HIDE);
}

void TConfigurationForm::FormShow() {
  ShowPage(0);
  SetWindowTextA(About(IDC_VERSIONLABEL), ("Version " + std::string(DetonixVersion)).c_str());
  const TVersionTexts texts = SystemVersionTexts();
  SetWindowTextA(About(IDC_OSVERLABEL), texts.OSVer.c_str());
  if (texts.SetBuild) SetWindowTextA(About(IDC_OSBUILDLABEL), texts.OSBuild.c_str());
  SetWindowTextA(About(IDC_MEMLABEL), SystemMemoryText().c_str());
}

// A ticked force-maze box forces a new maze: 0 minutes, which never forces, is not offered then.
int32_t TConfigurationForm::IntervalLow() const {
  return Ticked(Settings(IDC_FORCEMAZECBOX)) ? std::max<int32_t>(1, IntervalMin) : IntervalMin;
}

void TConfigurationForm::UpdateIntervalControls() {
  const bool on = Ticked(Settings(IDC_FORCEMAZECBOX));
  // A disabled edit field draws on the button face, an enabled one on the window colour.
  for (int id : IntervalControls) EnableWindow(Settings(id), on);
  SendMessageA(Settings(IDC_INTERVALUPDOWN), UDM_SETRANGE32, IntervalLow(), IntervalMax);
  IntervalSpinEditExit();  // the field shows a value of its range now
}

void TConfigurationForm::OnCommand(HWND, int id, HWND, UINT code) {
  if (FLoading) return;
  if (id == IDOK) OKButtonClick();
  if (id == IDCANCEL) CancelButtonClick();
  const bool clicked = code == BN_CLICKED;
  if (id == IDC_PLAYER1COMBO && code == CBN_SELCHANGE) Player1ComboChange();
  if (id == IDC_PLAYER2COMBO && code == CBN_SELCHANGE) Player2ComboChange();
  if (id == IDC_SOUNDSCBOX && clicked) SoundsCBoxClick();
  if (id == IDC_FORCEMAZECBOX && clicked) ForceMazeCBoxClick();
  const auto speed = std::find(SpeedButtons.begin(), SpeedButtons.end(), id);
  if (speed != SpeedButtons.end() && clicked) PSpeedRGClick(static_cast<size_t>(speed - SpeedButtons.begin()));
  if (id == IDC_INTERVALSPINEDIT && code == EN_CHANGE) IntervalSpinEditChange();
  if (id == IDC_INTERVALSPINEDIT && code == EN_KILLFOCUS) IntervalSpinEditExit();
}

LRESULT TConfigurationForm::OnNotify(HWND, int id, NMHDR* header) {
  if (id == IDC_PAGECONTROL && header->code == TCN_SELCHANGE)
    ShowPage(TabCtrl_GetCurSel(GetDlgItem(FDialog, IDC_PAGECONTROL)));
  return 0;
}

void TConfigurationForm::PSpeedRGClick(size_t index) { FSettings.PlayerSpeed = PlayerSpeeds[index]; }
void TConfigurationForm::Player1ComboChange() { FSettings.P1ImageIndex = CharacterChosen(Settings(IDC_PLAYER1COMBO)); }
void TConfigurationForm::Player2ComboChange() { FSettings.P2ImageIndex = CharacterChosen(Settings(IDC_PLAYER2COMBO)); }
void TConfigurationForm::SoundsCBoxClick() { FSettings.Sounds = Ticked(Settings(IDC_SOUNDSCBOX)); }
void TConfigurationForm::CancelButtonClick() { EndDialog(FDialog, IDCANCEL); }  // nothing is written

void TConfigurationForm::ForceMazeCBoxClick() {
  FSettings.ForceMaze = Ticked(Settings(IDC_FORCEMAZECBOX));
  UpdateIntervalControls();
}

void TConfigurationForm::IntervalSpinEditChange() {
  BOOL ok = FALSE;
  const int value = static_cast<int>(GetDlgItemInt(FSettingsSheet, IDC_INTERVALSPINEDIT, &ok, TRUE));
  FSettings.ForceInterval = ok ? value : IntervalLow();  // text that is no number reads as the minimum
}

void TConfigurationForm::IntervalSpinEditExit() {
  const int32_t clamped = std::clamp(FSettings.ForceInterval, IntervalLow(), IntervalMax);
  BOOL ok = FALSE;
  GetDlgItemInt(FSettingsSheet, IDC_INTERVALSPINEDIT, &ok, TRUE);
  if (clamped != FSettings.ForceInterval || !ok)
    SetDlgItemInt(FSettingsSheet, IDC_INTERVALSPINEDIT, static_cast<UINT>(clamped), TRUE);
  FSettings.ForceInterval = clamped;
}

void TConfigurationForm::OKButtonClick() {
  // A value typed but not yet left is pulled into range, as leaving the field would.
  IntervalSpinEditExit();
  SaveSettings(FStore, FSettings);
  EndDialog(FDialog, IDOK);
}

void TConfigurationForm::OnDrawItem(HWND, const DRAWITEMSTRUCT* item) {
  if (item->CtlID == IDC_ABOUTIMAGE || item->CtlID == IDC_ABOUTIMAGE2) {
    const TColor face = FromColorRef(GetSysColor(COLOR_BTNFACE));
    const TMaskedBitmap& picture = item->CtlID == IDC_ABOUTIMAGE ? FAboutImage : FAboutImage2;
    Blit(item->hDC, item->rcItem.left, item->rcItem.top, Over(picture, face));
    return;
  }
  if (item->CtlID != IDC_PLAYER1COMBO && item->CtlID != IDC_PLAYER2COMBO) return;
  if (item->itemID != static_cast<UINT>(-1))
    DrawPlayerItem(item->hDC, static_cast<int>(item->itemID), item->rcItem, item->itemState);
  if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
}

void TConfigurationForm::DrawPlayerItem(HDC dc, int index, const RECT& rect, UINT state) {
  // The whole item in one picture: the background, the character's picture in its corner. The
  // system's colours for an item, selected or not, so a high-contrast scheme keeps the names legible.
  const bool selected = (state & ODS_SELECTED) != 0;
  const TColor background = FromColorRef(GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  TBitmap picture(rect.right - rect.left, rect.bottom - rect.top, background);
  TCanvas canvas(picture);
  FPlayerImages->Draw(canvas, 0, 0, index);
  Blit(dc, rect.left, rect.top, picture);

  if (index < 0 || static_cast<size_t>(index) >= CharacterNames.size()) return;
  const std::string name(CharacterNames[static_cast<size_t>(index)]);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  SetBkMode(dc, TRANSPARENT);
  SIZE extent{};
  GetTextExtentPoint32A(dc, name.c_str(), static_cast<int>(name.size()), &extent);
  // From the list's own left edge, so the names line up in the field and in the open list.
  TextOutA(dc, FPlayerImages->Width() + Scaled(PictureTextGap, FDpi), (rect.top + rect.bottom - extent.cy) / 2,
           name.c_str(), static_cast<int>(name.size()));
}

}  // namespace detonix::win32
