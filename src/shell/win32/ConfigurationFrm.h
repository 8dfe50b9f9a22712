#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "media/Pictures.h"
#include "media/ResizableImageList.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "shell/win32/WinHandles.h"

namespace detonix::win32 {

// The settings dialog: "Settings" and "About" pages, OK writes every value, Cancel and the
// close box write nothing. Laid out in pixels at 100 %, in proportion on a scaled display.
class TConfigurationForm {
 public:
  static constexpr int ClientWidth = 384;
  static constexpr int ClientHeight = 311;

  explicit TConfigurationForm(TSettingsStore& store);
  // Shows the dialog modally, owned by OWNER; IDOK or IDCANCEL.
  INT_PTR ShowModal(HINSTANCE instance, HWND owner);

  // The position of the first of PlayerSpeeds equal to SPEED; "Normal" when none is.
  static int SpeedToIndex(int32_t speed);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  BOOL OnInitDialog(HWND hwnd, HWND focus, LPARAM lParam);
  void OnCommand(HWND hwnd, int id, HWND control, UINT code);
  LRESULT OnNotify(HWND hwnd, int id, NMHDR* header);
  void OnDrawItem(HWND hwnd, const DRAWITEMSTRUCT* item);

  void FormCreate();
  void FormShow();
  void ScaleToDpi();
  void OnDpiChanged(int dpi, const RECT& suggested);
  void LayOut(const RECT* suggested = nullptr);
  void ShowPage(int index);
  int32_t IntervalLow() const;
  void UpdateIntervalControls();
  void PSpeedRGClick(size_t index);
  void Player1ComboChange();
  void Player2ComboChange();
  void SoundsCBoxClick();
  void ForceMazeCBoxClick();
  void IntervalSpinEditChange();
  void IntervalSpinEditExit();
  void OKButtonClick();
  void CancelButtonClick();
  void DrawPlayerItem(HDC dc, int index, const RECT& rect, UINT state);

  HWND Settings(int id) const { return GetDlgItem(FSettingsSheet, id); }
  HWND About(int id) const { return GetDlgItem(FAboutSheet, id); }

  TSettingsStore& FStore;
  TSettings FSettings;
  std::unique_ptr<TResizableImageList> FPlayerImages;
  TMaskedBitmap FAboutImage;
  TMaskedBitmap FAboutImage2;
  HWND FDialog = nullptr;
  HWND FSettingsSheet = nullptr;
  HWND FAboutSheet = nullptr;
  TFontHandle FFont;
  TFontHandle FBoldFont;
  TFontHandle FTitleFont;
  int FDpi = USER_DEFAULT_SCREEN_DPI;
  bool FLoading = false;
};

}  // namespace detonix::win32
