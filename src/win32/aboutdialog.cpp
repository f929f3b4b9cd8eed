#include "win32/aboutdialog.h"

#include "platform/fs.h"

namespace tunebelt::win32 {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr UINT_PTR kRollTimer = 1;
constexpr int kLabelLeft = 480;
constexpr int kLabelWidth = 6975;

// The program's version (CMake's project version) and its licence.
constexpr const wchar_t* kVersionLine = L"Version " TUNEBELT_VERSION L" \u00b7 GPL-3.0-or-later";

std::vector<std::string> readCredits(const std::string& applicationFolder) {
  try {
    return platform::readTextLines(platform::joinPath(applicationFolder, "credits.txt"));
  } catch (const platform::FsError&) {
    return {};
  }
}

struct Caption {
  const wchar_t* text;
  const wchar_t* face;
  double points;
  TwipsRect rect;
};

constexpr Caption kCaptions[] = {
    {L"TUNEBELT", L"Arial", 36, {120, 120, 7215, 855}},
    {L"YOUR GAME. YOUR MUSIC", L"Arial", 21.75, {1800, 840, 5655, 495}},
    {L"CREDITS:", L"Arial", 14.25, {240, 1680, 1455, 375}},
    {kVersionLine, L"Arial", 9.75, {3600, 1740, 3855, 300}},
};

}  // namespace

AboutDialog::AboutDialog(const std::string& applicationFolder, HWND owner)
    : owner_(owner), roll_(readCredits(applicationFolder), 0) {
  scale_.dpi = dpiOf(owner);
  create(L"TunebeltAbout", L"Tunebelt - About", kStyle, WS_EX_DLGMODALFRAME, owner, nullptr,
         scale_.px(7575), scale_.px(6450));
  RECT outer;
  ::GetWindowRect(hwnd_, &outer);
  roll_.setStartTop(CreditsRoll::startTopFor(scale_.twips(outer.bottom - outer.top)));
  if (!roll_.empty()) ::SetTimer(hwnd_, kRollTimer, 40, nullptr);
}

void AboutDialog::runModal() {
  centreOver(hwnd_, owner_);
  win32::runModal(hwnd_, owner_);
}

void AboutDialog::tick() {
  roll_.tick();
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void AboutDialog::paint() {
  BufferedPaint p(hwnd_);
  HDC dc = p.dc();
  ::FillRect(dc, &p.client(), solidBrush(kAccentOrange));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, kWhite);
  auto draw = [&](const std::wstring& text, const wchar_t* face, double points, TwipsRect r,
                  UINT format) {
    RECT box = scale_.rect(r);
    Font font = fitFont(dc, text, face, points, scale_.dpi, box, format);
    HGDIOBJ old = ::SelectObject(dc, font.get());
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
    ::SelectObject(dc, old);
  };
  for (const Caption& c : kCaptions) {
    draw(c.text, c.face, c.points, c.rect, DT_SINGLELINE | DT_NOPREFIX);
  }
  if (!roll_.visible()) return;
  // The position line is cut at the label's edge; the name wraps.
  RECT position =
      scale_.rect({kLabelLeft, roll_.positionTop(), kLabelWidth, CreditsRoll::kPositionHeight});
  Font positionFont = makeFont(L"Lucida Console", 12.75, scale_.dpi);
  HGDIOBJ old = ::SelectObject(dc, positionFont.get());
  const std::wstring positionText = wide(roll_.positionCaption());
  ::DrawTextW(dc, positionText.c_str(), static_cast<int>(positionText.size()), &position,
              DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  Font nameFont = makeFont(L"Lucida Console", 14.25, scale_.dpi);
  ::SelectObject(dc, nameFont.get());
  RECT name = scale_.rect({kLabelLeft, roll_.nameTop(), kLabelWidth, CreditsRoll::kNameHeight});
  const std::wstring nameText = wide(roll_.nameCaption());
  ::DrawTextW(dc, nameText.c_str(), static_cast<int>(nameText.size()), &name,
              DT_WORDBREAK | DT_NOPREFIX);
  ::SelectObject(dc, old);
}

LRESULT AboutDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kRollTimer) tick();
      return 0;
    case WM_PAINT:
      paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CLOSE:
      discarded_ = true;
      ::KillTimer(hwnd_, kRollTimer);
      ::DestroyWindow(hwnd_);
      return 0;
    default:
      break;
  }
  return WindowBase::handle(message, wParam, lParam);
}

}  // namespace tunebelt::win32
