// What the Win32 windows share for drawing: the design's measures (twips) at
// the monitor's DPI, pictures (the JPEG skin through GDI+, the built-in
// flags and word pictures), fonts, colours, and UTF-8 to UTF-16.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "core/state/skinlayout.h"

namespace tunebelt::win32 {

inline constexpr COLORREF kAccentOrange = RGB(246, 145, 16);
inline constexpr COLORREF kDarkGrey = RGB(64, 64, 64);
inline constexpr COLORREF kLightGrey = RGB(205, 205, 205);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);

std::wstring wide(std::string_view utf8);
std::string narrow(std::wstring_view text);
// A window's text.
std::wstring windowText(HWND window);

// The design's twips at a monitor's DPI: 1440 twips to the inch, so 15 to a
// pixel at 96 DPI.
struct Scale {
  UINT dpi = 96;
  int px(int twips) const { return ::MulDiv(twips, static_cast<int>(dpi), 1440); }
  int twips(int pixels) const { return ::MulDiv(pixels, 1440, static_cast<int>(dpi)); }
  RECT rect(const TwipsRect& r) const {
    return {px(r.left), px(r.top), px(r.left) + px(r.width), px(r.top) + px(r.height)};
  }
};

// The DPI of the monitor the window is on (96 where the system cannot say).
UINT dpiOf(HWND window);

// GDI+ for the program's run: started once, ended at exit.
class GdiPlusSession {
 public:
  GdiPlusSession();
  ~GdiPlusSession();
  GdiPlusSession(const GdiPlusSession&) = delete;
  GdiPlusSession& operator=(const GdiPlusSession&) = delete;

 private:
  ULONG_PTR token_ = 0;
};

// A bitmap with its size in pixels. Skin pictures are drawn at 96 DPI
// pixels (15 twips each), scaled with the window.
class Picture {
 public:
  Picture() = default;
  Picture(HBITMAP bitmap, int width, int height);
  bool empty() const { return !bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }
  HBITMAP bitmap() const { return bitmap_.get(); }
  // Draws the picture stretched into `box`.
  void draw(HDC dc, const RECT& box) const;

 private:
  struct Deleter {
    void operator()(HBITMAP b) const { ::DeleteObject(b); }
  };
  std::shared_ptr<std::remove_pointer_t<HBITMAP>> bitmap_;
  int width_ = 0;
  int height_ = 0;
};

// A JPEG (or any picture GDI+ reads); empty when it cannot be read.
Picture loadPicture(const std::string& path);
// The two flags, 25 x 14 pixels.
Picture unionFlagPicture();
Picture germanFlagPicture();
// Words in widely spaced white capitals, centred on accent orange, in the
// skin's face, `width` x `height` device pixels; lit: bold with a glow.
Picture wordsPicture(std::wstring_view words, int width, int height, bool lit);

// The skin's face: the font shipped beside the program, loaded for this
// process alone (nothing is installed for the user).
inline constexpr const wchar_t* kSkinFace = L"DejaVu Sans";
void loadSkinFont(const std::string& applicationFolder);

class Font {
 public:
  Font() = default;
  explicit Font(HFONT font) : font_(font, Deleter{}) {}
  HFONT get() const { return font_.get(); }
  explicit operator bool() const { return font_ != nullptr; }

 private:
  struct Deleter {
    void operator()(HFONT f) const { ::DeleteObject(f); }
  };
  std::shared_ptr<std::remove_pointer_t<HFONT>> font_;
};

// A design font at a DPI. "Arial", "Tahoma", "Verdana" and the others go to
// whatever face the system maps them to.
Font makeFont(const wchar_t* face, double points, UINT dpi, bool bold = false, bool italic = false);

// The largest size from `points` down to three fifths of it at which `text`
// drawn with `format` (DrawTextW flags) fits `box`.
Font fitFont(HDC dc, std::wstring_view text, const wchar_t* face, double points, UINT dpi,
             const RECT& box, UINT format, bool bold = false, bool italic = false);

// A solid brush kept for the program's run.
HBRUSH solidBrush(COLORREF colour);

// Paints into a memory bitmap and copies it to the window at the end, so a
// window never shows half a frame.
class BufferedPaint {
 public:
  explicit BufferedPaint(HWND window);
  ~BufferedPaint();
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC dc() const { return memory_; }
  const RECT& client() const { return client_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC screen_ = nullptr;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  RECT client_{};
};

}  // namespace tunebelt::win32
