#include "win32/progresswindow.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/ids.h"

namespace tunebelt::win32 {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr const wchar_t* kStageWords[] = {L"Generating Script", L"Copying Files", L"Complete"};
constexpr int kStageTops[] = {240, 615, 990};

}  // namespace

ProgressWindow::ProgressWindow(HWND owner) {
  scale_.dpi = dpiOf(owner);
  create(L"TunebeltProgress", kProgressCaption, kStyle, 0, owner, nullptr, scale_.px(5565),
         scale_.px(1905));
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const RECT bar = scale_.rect({225, 1410, 5205, 330});
  HWND progress =
      ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, bar.left,
                        bar.top, bar.right - bar.left, bar.bottom - bar.top, hwnd_,
                        reinterpret_cast<HMENU>(kPrgFilecopy), instance, nullptr);
  ::SendMessageW(progress, PBM_SETRANGE32, 0, 100);
  ::SetWindowSubclass(progress, &ProgressWindow::barProc, 1, reinterpret_cast<DWORD_PTR>(this));
  barFont_ = makeFont(L"Arial", 8.25, scale_.dpi, true);
  const RECT box = scale_.rect({195, 135, 645, 360});
  HWND script = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"",
                                  WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, box.left,
                                  box.top, box.right - box.left, box.bottom - box.top, hwnd_,
                                  reinterpret_cast<HMENU>(kTxtScript), instance, nullptr);
  scriptFont_ = makeFont(L"Fixedsys", 9, scale_.dpi);
  ::SendMessageW(script, WM_SETFONT, reinterpret_cast<WPARAM>(scriptFont_.get()), FALSE);
}

void ProgressWindow::showOver(HWND owner) {
  if (!::IsWindowVisible(hwnd_)) {
    RECT mine;
    RECT theirs;
    ::GetWindowRect(hwnd_, &mine);
    ::GetWindowRect(owner, &theirs);
    const int w = mine.right - mine.left;
    const int h = mine.bottom - mine.top;
    int x = (theirs.left + theirs.right - w) / 2;
    int y = (theirs.top + theirs.bottom - h) / 2;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &info)) {
      x = std::clamp<int>(x, info.rcWork.left,
                          std::max<int>(info.rcWork.left, info.rcWork.right - w));
      y = std::clamp<int>(y, info.rcWork.top,
                          std::max<int>(info.rcWork.top, info.rcWork.bottom - h));
    }
    // The owner's title bar and menu bar stay free for the next click.
    POINT clientTop{0, 0};
    ::ClientToScreen(owner, &clientTop);
    y = std::max<int>(y, clientTop.y);
    ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::ShowWindow(hwnd_, SW_SHOW);
  ::UpdateWindow(hwnd_);
}

void ProgressWindow::setStage(Stage stage) {
  switch (stage) {
    case Stage::Generating:
      ::SetWindowTextW(hwnd_, kProgressCaption);
      ::SendMessageW(::GetDlgItem(hwnd_, kPrgFilecopy), PBM_SETPOS, 0, 0);
      stages_ = {2, 1, 1};
      endWords_.clear();
      endPicture_ = Picture();
      barText_.clear();
      break;
    case Stage::Copying:
      stages_[0] = 1;
      stages_[1] = 2;
      break;
    case Stage::Complete:
      stages_[1] = 1;
      stages_[2] = 2;
      break;
  }
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void ProgressWindow::setScriptText(const std::string& text) {
  ::SetWindowTextW(::GetDlgItem(hwnd_, kTxtScript), wide(text).c_str());
}

void ProgressWindow::setMaximum(int maximum) {
  ::SendMessageW(::GetDlgItem(hwnd_, kPrgFilecopy), PBM_SETRANGE32, 0, maximum);
}

void ProgressWindow::setValue(int value) {
  ::SendMessageW(::GetDlgItem(hwnd_, kPrgFilecopy), PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void ProgressWindow::showEnd(const SaveEndState& end) {
  HWND bar = ::GetDlgItem(hwnd_, kPrgFilecopy);
  ::SendMessageW(bar, PBM_SETRANGE32, 0, std::max(end.maximum, 1));
  ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(end.value), 0);
  if (!end.complete) {
    stages_[1] = 1;
    stages_[2] = 0;
    endWords_ = end.stageWords;
    endPicture_ = Picture();
    barText_ = end.barText;
  }
  ::InvalidateRect(bar, nullptr, TRUE);
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

// The bar as the system draws it, with the end's text over it.
LRESULT CALLBACK ProgressWindow::barProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
  const LRESULT result = ::DefSubclassProc(bar, message, wParam, lParam);
  auto* self = reinterpret_cast<ProgressWindow*>(data);
  if (message == WM_PAINT && !self->barText_.empty()) {
    HDC dc = ::GetDC(bar);
    RECT box;
    ::GetClientRect(bar, &box);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kDarkGrey);
    HGDIOBJ old = ::SelectObject(dc, self->barFont_.get());
    const std::wstring text = wide(self->barText_);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(bar, dc);
  }
  return result;
}

bool ProgressWindow::pictureShown(int id) const {
  const int index = id - kImgGen;
  if (index < 0 || index >= 6) return false;
  return stages_[static_cast<std::size_t>(index / 2)] == (index % 2 == 0 ? 1 : 2);
}

void ProgressWindow::paint() {
  BufferedPaint p(hwnd_);
  ::FillRect(p.dc(), &p.client(), solidBrush(kAccentOrange));
  for (std::size_t stage = 0; stage < 3; ++stage) {
    if (stages_[stage] == 0) continue;
    const RECT box = scale_.rect({570, kStageTops[stage], 4500, 300});
    const bool lit = stages_[stage] == 2;
    Picture& picture = pictures_[stage * 2 + (lit ? 1 : 0)];
    if (picture.empty()) {
      picture = wordsPicture(kStageWords[stage], box.right - box.left, box.bottom - box.top, lit);
    }
    picture.draw(p.dc(), box);
  }
  if (!endWords_.empty()) {
    const RECT box = scale_.rect({570, kStageTops[2], 4500, 300});
    if (endPicture_.empty()) {
      endPicture_ = wordsPicture(wide(endWords_), box.right - box.left, box.bottom - box.top, true);
    }
    endPicture_.draw(p.dc(), box);
  }
}

LRESULT ProgressWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CLOSE:
      ::ShowWindow(hwnd_, SW_HIDE);
      return 0;
    default:
      break;
  }
  return WindowBase::handle(message, wParam, lParam);
}

}  // namespace tunebelt::win32
