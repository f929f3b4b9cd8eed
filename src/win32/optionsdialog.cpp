#include "win32/optionsdialog.h"

#include <commctrl.h>

#include "core/state/volume.h"
#include "win32/ids.h"

namespace tunebelt::win32 {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

constexpr const wchar_t* kVolumeStepsNote =
    L"Between the game's steps (0, 2, 5, 9, 13, 15, 20 ... 100) the nearest one is used.";

}  // namespace

OptionsDialog::OptionsDialog(ProgramState& state, std::string settingsPath, Prompts& prompts,
                             HWND owner)
    : state_(state), settingsPath_(std::move(settingsPath)), prompts_(prompts), owner_(owner) {
  scale_.dpi = dpiOf(owner);
  create(L"TunebeltOptions", L"Tunebelt - Options", kStyle, WS_EX_DLGMODALFRAME, owner, nullptr,
         scale_.px(4170), scale_.px(2310));
  labelFont_ = makeFont(L"Arial", 9.75, scale_.dpi);
  boxFont_ = makeFont(L"Arial", 8.25, scale_.dpi);
  noteFont_ = makeFont(L"Arial", 7.5, scale_.dpi);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  auto add = [&](const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int id,
                 TwipsRect r, const Font& font) {
    const RECT box = scale_.rect(r);
    HWND w =
        ::CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, box.left, box.top,
                          box.right - box.left, box.bottom - box.top, hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    return w;
  };
  // In the focus order: the two boxes, Ok, Apply, Cancel.
  add(WC_STATICW, L"Initial Volumes (0-100):", SS_NOPREFIX, 0, -1, {240, 240, 2055, 255},
      labelFont_);
  add(WC_STATICW, L"MP3:", SS_NOPREFIX, 0, -1, {480, 720, 615, 255}, labelFont_);
  add(WC_STATICW, L"Game:", SS_NOPREFIX, 0, -1, {480, 1080, 735, 255}, labelFont_);
  add(WC_STATICW, kVolumeStepsNote, SS_NOPREFIX, 0, -1, {240, 1380, 3750, 390}, noteFont_);
  add(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kTxtMP3Vol,
      {1200, 720, 855, 270}, boxFont_);
  add(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kTxtGameVol,
      {1200, 1080, 855, 270}, boxFont_);
  add(WC_BUTTONW, L"Ok", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kCmdOk, {2760, 1800, 1230, 375},
      labelFont_);
  add(WC_BUTTONW, L"Apply", WS_TABSTOP | BS_PUSHBUTTON, 0, kCmdApply, {1440, 1800, 1230, 375},
      labelFont_);
  add(WC_BUTTONW, L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, kCmdCancel, {120, 1800, 1230, 375},
      labelFont_);
  loadBoxes();
}

void OptionsDialog::runModal() {
  RECT mine;
  RECT theirs;
  ::GetWindowRect(hwnd_, &mine);
  ::GetWindowRect(owner_, &theirs);
  ::SetWindowPos(hwnd_, nullptr, (theirs.left + theirs.right - (mine.right - mine.left)) / 2,
                 (theirs.top + theirs.bottom - (mine.bottom - mine.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetFocus(::GetDlgItem(hwnd_, kTxtMP3Vol));
  win32::runModal(hwnd_, owner_);
}

void OptionsDialog::loadBoxes() {
  ::SetDlgItemTextW(hwnd_, kTxtGameVol, std::to_wstring(state_.GameVolume).c_str());
  ::SetDlgItemTextW(hwnd_, kTxtMP3Vol, std::to_wstring(state_.Mp3Volume).c_str());
}

void OptionsDialog::validate(HWND box) {
  if (validating_) return;
  const std::string text = narrow(windowText(box));
  const std::string valid = validvolume(text);
  if (valid == text) return;
  validating_ = true;
  ::SetWindowTextW(box, wide(valid).c_str());
  ::SendMessageW(box, EM_SETSEL, valid.size(), valid.size());
  validating_ = false;
}

void OptionsDialog::apply() {
  ApplyVolumes(state_, narrow(windowText(::GetDlgItem(hwnd_, kTxtMP3Vol))),
               narrow(windowText(::GetDlgItem(hwnd_, kTxtGameVol))), settingsPath_, prompts_);
}

LRESULT OptionsDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) == EN_CHANGE && (id == kTxtMP3Vol || id == kTxtGameVol)) {
        validate(reinterpret_cast<HWND>(lParam));
      } else if (id == kCmdApply) {
        apply();
      } else if (id == kCmdOk) {
        apply();
        ::ShowWindow(hwnd_, SW_HIDE);
      } else if (id == kCmdCancel) {
        loadBoxes();
        ::ShowWindow(hwnd_, SW_HIDE);
      }
      return 0;
    }
    case WM_CLOSE:
      discarded_ = true;
      ::DestroyWindow(hwnd_);
      return 0;
    case WM_ERASEBKGND: {
      RECT client;
      ::GetClientRect(hwnd_, &client);
      ::FillRect(reinterpret_cast<HDC>(wParam), &client, solidBrush(kAccentOrange));
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      auto dc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(dc, kWhite);
      ::SetBkColor(dc, kAccentOrange);
      return reinterpret_cast<LRESULT>(solidBrush(kAccentOrange));
    }
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(solidBrush(kAccentOrange));
    default:
      break;
  }
  return WindowBase::handle(message, wParam, lParam);
}

}  // namespace tunebelt::win32
