#include "win32/gdi.h"

#include <objidl.h>
// after objidl.h
#include <gdiplus.h>

#include <algorithm>
#include <map>

#include "core/state/startup.h"
#include "platform/codepage.h"
#include "platform/fs.h"

namespace tunebelt::win32 {

std::wstring wide(std::string_view utf8) {
  return platform::toWide(utf8);
}

std::string narrow(std::wstring_view text) {
  return platform::fromWide(text);
}

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

UINT dpiOf(HWND window) {
  // GetDpiForWindow came with Windows 10 (1607); looked up, so the program
  // still starts on older systems.
  using GetDpi = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpi>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpi && window) {
    const UINT dpi = getDpi(window);
    if (dpi != 0) return dpi;
  }
  HDC dc = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

GdiPlusSession::GdiPlusSession() {
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiPlusSession::~GdiPlusSession() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
}

Picture::Picture(HBITMAP bitmap, int width, int height)
    : bitmap_(bitmap, Deleter{}), width_(width), height_(height) {}

void Picture::draw(HDC dc, const RECT& box) const {
  if (empty()) return;
  HDC source = ::CreateCompatibleDC(dc);
  HGDIOBJ old = ::SelectObject(source, bitmap_.get());
  const int w = box.right - box.left;
  const int h = box.bottom - box.top;
  if (w == width_ && h == height_) {
    ::BitBlt(dc, box.left, box.top, w, h, source, 0, 0, SRCCOPY);
  } else {
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchBlt(dc, box.left, box.top, w, h, source, 0, 0, width_, height_, SRCCOPY);
  }
  ::SelectObject(source, old);
  ::DeleteDC(source);
}

Picture loadPicture(const std::string& path) {
  if (!platform::isRegularFile(path)) return {};
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromFile(wide(path).c_str(), &bitmap) != Gdiplus::Ok) {
    return {};
  }
  UINT width = 0;
  UINT height = 0;
  HBITMAP result = nullptr;
  Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
  Gdiplus::DllExports::GdipGetImageHeight(bitmap, &height);
  const auto status = Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(bitmap, &result, 0);
  Gdiplus::DllExports::GdipDisposeImage(bitmap);
  if (status != Gdiplus::Ok || !result) return {};
  return Picture(result, static_cast<int>(width), static_cast<int>(height));
}

namespace {

// A blank bitmap of the size, filled, with a memory DC selected into it.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
    HDC screen = ::GetDC(nullptr);
    dc_ = ::CreateCompatibleDC(screen);
    bitmap_ = ::CreateCompatibleBitmap(screen, width, height);
    ::ReleaseDC(nullptr, screen);
    old_ = ::SelectObject(dc_, bitmap_);
    fill_rect(0, 0, width, height, fill);
  }
  ~Canvas() {
    if (dc_) {
      ::SelectObject(dc_, old_);
      ::DeleteDC(dc_);
    }
    if (bitmap_) ::DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_; }
  void fill_rect(int l, int t, int r, int b, COLORREF colour) {
    const RECT box{l, t, r, b};
    ::FillRect(dc_, &box, solidBrush(colour));
  }
  Picture take() {
    ::SelectObject(dc_, old_);
    ::DeleteDC(dc_);
    dc_ = nullptr;
    Picture p(bitmap_, width_, height_);
    bitmap_ = nullptr;
    return p;
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

constexpr int kFlagWidth = 25;
constexpr int kFlagHeight = 14;

void line(HDC dc, int x0, int y0, int x1, int y1, int width, COLORREF colour) {
  HPEN pen = ::CreatePen(PS_SOLID, width, colour);
  HGDIOBJ old = ::SelectObject(dc, pen);
  ::MoveToEx(dc, x0, y0, nullptr);
  ::LineTo(dc, x1, y1);
  ::SelectObject(dc, old);
  ::DeleteObject(pen);
}

}  // namespace

Picture unionFlagPicture() {
  const COLORREF blue = RGB(1, 33, 105);
  const COLORREF red = RGB(200, 16, 46);
  Canvas c(kFlagWidth, kFlagHeight, blue);
  line(c.dc(), 0, 0, kFlagWidth, kFlagHeight, 3, kWhite);
  line(c.dc(), 0, kFlagHeight, kFlagWidth, 0, 3, kWhite);
  line(c.dc(), 0, 0, kFlagWidth, kFlagHeight, 1, red);
  line(c.dc(), 0, kFlagHeight, kFlagWidth, 0, 1, red);
  c.fill_rect(10, 0, 15, kFlagHeight, kWhite);
  c.fill_rect(0, 5, kFlagWidth, 9, kWhite);
  c.fill_rect(11, 0, 14, kFlagHeight, red);
  c.fill_rect(0, 6, kFlagWidth, 8, red);
  return c.take();
}

Picture germanFlagPicture() {
  Canvas c(kFlagWidth, kFlagHeight, RGB(0, 0, 0));
  c.fill_rect(0, 5, kFlagWidth, 9, RGB(221, 0, 0));
  c.fill_rect(0, 9, kFlagWidth, kFlagHeight, RGB(255, 206, 0));
  return c.take();
}

Picture wordsPicture(std::wstring_view words, int width, int height, bool lit) {
  Canvas c(width, height, kAccentOrange);
  std::wstring upper(words);
  ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  ::SetBkMode(c.dc(), TRANSPARENT);
  // The largest size and spacing at which the words fit with a pixel to
  // spare: three fifths of the height at most, spaced up to 4 pixels.
  HFONT font = nullptr;
  int spacing = 0;
  for (int size = height * 3 / 5; size >= std::max(6, height * 2 / 5) && !font; --size) {
    HFONT f = ::CreateFontW(-size, 0, 0, 0, lit ? FW_BOLD : FW_SEMIBOLD, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                            ANTIALIASED_QUALITY, DEFAULT_PITCH, kSkinFace);
    HGDIOBJ old = ::SelectObject(c.dc(), f);
    for (int s = 4; s >= 0; --s) {
      ::SetTextCharacterExtra(c.dc(), s);
      SIZE extent{};
      ::GetTextExtentPoint32W(c.dc(), upper.c_str(), static_cast<int>(upper.size()), &extent);
      if (extent.cx - s + 2 <= width && extent.cy <= height) {
        font = f;
        spacing = s;
        break;
      }
    }
    ::SelectObject(c.dc(), old);
    if (!font) ::DeleteObject(f);
  }
  if (font) {
    HGDIOBJ old = ::SelectObject(c.dc(), font);
    ::SetTextCharacterExtra(c.dc(), spacing);
    SIZE extent{};
    ::GetTextExtentPoint32W(c.dc(), upper.c_str(), static_cast<int>(upper.size()), &extent);
    const int x = (width - (extent.cx - spacing)) / 2;
    const int y = (height - extent.cy) / 2;
    if (lit) {
      ::SetTextColor(c.dc(), RGB(255, 214, 150));
      for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
          if (dx != 0 || dy != 0) {
            ::TextOutW(c.dc(), x + dx, y + dy, upper.c_str(), static_cast<int>(upper.size()));
          }
        }
      }
    }
    ::SetTextColor(c.dc(), kWhite);
    ::TextOutW(c.dc(), x, y, upper.c_str(), static_cast<int>(upper.size()));
    ::SelectObject(c.dc(), old);
    ::DeleteObject(font);
  }
  return c.take();
}

void loadSkinFont(const std::string& applicationFolder) {
  static std::map<std::string, bool> loaded;
  const std::string path = platform::joinPath(applicationFolder, kFontFile);
  if (loaded[path]) return;
  loaded[path] = ::AddFontResourceExW(wide(path).c_str(), FR_PRIVATE, nullptr) > 0;
}

Font makeFont(const wchar_t* face, double points, UINT dpi, bool bold, bool italic) {
  const int height = -static_cast<int>(points * dpi / 72.0 + 0.5);
  return Font(::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                            DEFAULT_PITCH | FF_SWISS, face));
}

Font fitFont(HDC dc, std::wstring_view text, const wchar_t* face, double points, UINT dpi,
             const RECT& box, UINT format, bool bold, bool italic) {
  const int boxWidth = box.right - box.left;
  const int boxHeight = box.bottom - box.top;
  Font font;
  for (double size = points; size >= points * 0.6; size -= 0.25) {
    font = makeFont(face, size, dpi, bold, italic);
    HGDIOBJ old = ::SelectObject(dc, font.get());
    RECT need{0, 0, boxWidth, 0};
    ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &need, format | DT_CALCRECT);
    ::SelectObject(dc, old);
    if (need.right <= boxWidth && need.bottom <= boxHeight) break;
  }
  return font;
}

HBRUSH solidBrush(COLORREF colour) {
  static std::map<COLORREF, HBRUSH> brushes;
  HBRUSH& b = brushes[colour];
  if (!b) b = ::CreateSolidBrush(colour);
  return b;
}

BufferedPaint::BufferedPaint(HWND window) : window_(window) {
  screen_ = ::BeginPaint(window, &ps_);
  ::GetClientRect(window, &client_);
  memory_ = ::CreateCompatibleDC(screen_);
  bitmap_ = ::CreateCompatibleBitmap(screen_, std::max<LONG>(1, client_.right),
                                     std::max<LONG>(1, client_.bottom));
  old_ = ::SelectObject(memory_, bitmap_);
}

BufferedPaint::~BufferedPaint() {
  ::BitBlt(screen_, 0, 0, client_.right, client_.bottom, memory_, 0, 0, SRCCOPY);
  ::SelectObject(memory_, old_);
  ::DeleteObject(bitmap_);
  ::DeleteDC(memory_);
  ::EndPaint(window_, &ps_);
}

}  // namespace tunebelt::win32
