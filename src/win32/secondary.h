// What the program's windows share: a window class whose messages reach a
// C++ object, the modal run of a secondary window, and the message loop's
// keyboard handling (accelerators, Tab and Enter in every window).
#pragma once

#include <windows.h>

#include <string>

namespace tunebelt::win32 {

class WindowBase {
 public:
  WindowBase() = default;
  virtual ~WindowBase();
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;
  HWND hwnd() const { return hwnd_; }

 protected:
  // A top-level window of the class (registered on first use) whose client
  // area is `clientWidth` x `clientHeight` pixels.
  void create(const wchar_t* className, const std::wstring& title, DWORD style, DWORD exStyle,
              HWND owner, HMENU menu, int clientWidth, int clientHeight);
  virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  // The window is gone (WM_NCDESTROY): the handle reads null from now on.
  virtual void destroyed() {}

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The window's outer size for a client area, at its DPI.
SIZE outerSize(DWORD style, DWORD exStyle, bool menu, int clientWidth, int clientHeight);

// Moves `window` so that it stands centred over `owner`.
void centreOver(HWND window, HWND owner);

// Shows `window` modally over `owner`: the owner takes no input until the
// window is hidden or destroyed; the messages of the thread go on.
void runModal(HWND window, HWND owner);

// Keyboard handling of the message loops: the main window's accelerators,
// then Tab, Enter and Escape inside the active window. True when taken.
bool translateKeys(MSG& message);
void setAccelerators(HWND window, HACCEL accelerators);

// The thread's message loop until WM_QUIT; its exit code.
int runMessageLoop();

}  // namespace tunebelt::win32
