#include "win32/optionsdialog.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "win32/ids.h"

namespace tunebelt::win32 {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

}  // namespace

OptionsDialog::OptionsDialog(OptionsForm& form, HWND owner) : form_(form), owner_(owner) {
  scale_.dpi = dpiOf(owner);
  create(L"TunebeltOptions", L"Tunebelt - Options", kStyle, WS_EX_DLGMODALFRAME, owner, nullptr,
         scale_.px(4170), scale_.px(3030));
  labelFont_ = makeFont(L"Arial", 9.75, scale_.dpi);
  boxFont_ = makeFont(L"Arial", 8.25, scale_.dpi);
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
  // In the focus order: the two boxes, the audio options, Ok, Apply, Cancel.
  add(WC_STATICW, L"Initial Volumes (0-100):", SS_NOPREFIX, 0, -1, {240, 240, 2055, 255},
      labelFont_);
  add(WC_STATICW, L"MP3:", SS_NOPREFIX, 0, -1, {480, 720, 615, 255}, labelFont_);
  add(WC_STATICW, L"Game:", SS_NOPREFIX, 0, -1, {480, 1080, 735, 255}, labelFont_);
  // The volume lists drop below their designed boxes.
  for (auto [id, top] : {std::pair{kCboMP3Vol, 720}, std::pair{kCboGameVol, 1080}}) {
    HWND box = add(WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, id,
                   {1200, top, 1095, 270 + 3000}, boxFont_);
    for (int step : OptionsForm::VolumeChoices()) {
      ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(step).c_str()));
    }
  }
  // The audio options: levelled loudness and the bit rate of converted
  // copies; their captions follow the language at every opening.
  add(WC_BUTTONW, L"", WS_TABSTOP | BS_AUTOCHECKBOX, 0, kChkLevel, {240, 1500, 3750, 255},
      boxFont_);
  add(WC_STATICW, L"", SS_NOPREFIX, 0, kLblBitrate, {240, 1920, 1500, 255}, boxFont_);
  HWND bitrates = add(WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, kCboBitrate,
                      {1800, 1890, 1455, 300 + 2000}, boxFont_);
  for (int kbps : kBitrateChoices) {
    ::SendMessageW(bitrates, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(wide(BitrateText(kbps)).c_str()));
  }
  add(WC_BUTTONW, L"Ok", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kCmdOk, {2760, 2520, 1230, 375},
      labelFont_);
  add(WC_BUTTONW, L"Apply", WS_TABSTOP | BS_PUSHBUTTON, 0, kCmdApply, {1440, 2520, 1230, 375},
      labelFont_);
  add(WC_BUTTONW, L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, kCmdCancel, {120, 2520, 1230, 375},
      labelFont_);
  loadBoxes();
}

void OptionsDialog::runModal() {
  centreOver(hwnd_, owner_);
  loadBoxes();
  ::SetFocus(::GetDlgItem(hwnd_, kCboMP3Vol));
  win32::runModal(hwnd_, owner_);
}

void OptionsDialog::loadBoxes() {
  ::SendMessageW(::GetDlgItem(hwnd_, kCboMP3Vol), CB_SETCURSEL,
                 static_cast<WPARAM>(OptionsForm::VolumeChoiceIndex(form_.values().mp3Volume)), 0);
  ::SendMessageW(::GetDlgItem(hwnd_, kCboGameVol), CB_SETCURSEL,
                 static_cast<WPARAM>(OptionsForm::VolumeChoiceIndex(form_.values().gameVolume)), 0);
  const AudioOptionTexts& texts = form_.audioTexts();
  ::SetWindowTextW(::GetDlgItem(hwnd_, kChkLevel), wide(texts.levelLoudness).c_str());
  ::SetWindowTextW(::GetDlgItem(hwnd_, kLblBitrate), wide(texts.bitrate).c_str());
  ::SendMessageW(::GetDlgItem(hwnd_, kChkLevel), BM_SETCHECK,
                 form_.values().levelLoudness ? BST_CHECKED : BST_UNCHECKED, 0);
  const auto rate =
      std::find(kBitrateChoices.begin(), kBitrateChoices.end(), form_.values().bitrateKbps);
  ::SendMessageW(::GetDlgItem(hwnd_, kCboBitrate), CB_SETCURSEL,
                 static_cast<WPARAM>(rate - kBitrateChoices.begin()), 0);
}

LRESULT OptionsDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) == CBN_SELCHANGE && (id == kCboMP3Vol || id == kCboGameVol)) {
        const auto index = ::SendMessageW(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0);
        const auto choices = OptionsForm::VolumeChoices();
        if (index >= 0 && static_cast<std::size_t>(index) < choices.size()) {
          const int volume = choices[static_cast<std::size_t>(index)];
          if (id == kCboMP3Vol) {
            form_.setMp3Volume(volume);
          } else {
            form_.setGameVolume(volume);
          }
        }
        loadBoxes();
      } else if (HIWORD(wParam) == CBN_SELCHANGE && id == kCboBitrate) {
        const auto index = ::SendMessageW(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0);
        if (index >= 0 && static_cast<std::size_t>(index) < kBitrateChoices.size()) {
          form_.setBitrate(kBitrateChoices[static_cast<std::size_t>(index)]);
        }
        loadBoxes();
      } else if (id == kChkLevel && HIWORD(wParam) == BN_CLICKED) {
        form_.setLevelLoudness(::SendMessageW(reinterpret_cast<HWND>(lParam), BM_GETCHECK, 0, 0) ==
                               BST_CHECKED);
      } else if (id == kCmdApply && HIWORD(wParam) == BN_CLICKED) {
        form_.apply();
      } else if (id == kCmdOk) {
        form_.apply();
        ::ShowWindow(hwnd_, SW_HIDE);
      } else if (id == kCmdCancel) {
        form_.reload();
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
    case WM_CTLCOLORLISTBOX:
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
