#include "win32/secondary.h"

namespace tunebelt::win32 {

namespace {

HWND acceleratorWindow = nullptr;
HACCEL acceleratorTable = nullptr;

}  // namespace

WindowBase::~WindowBase() {
  if (hwnd_) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
}

void WindowBase::create(const wchar_t* className, const std::wstring& title, DWORD style,
                        DWORD exStyle, HWND owner, HMENU menu, int clientWidth, int clientHeight) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!::GetClassInfoExW(instance, className, &existing)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowBase::proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = className;
    ::RegisterClassExW(&wc);
  }
  const SIZE outer = outerSize(style, exStyle, menu != nullptr, clientWidth, clientHeight);
  ::CreateWindowExW(exStyle, className, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                    outer.cx, outer.cy, owner, menu, instance, this);
}

SIZE outerSize(DWORD style, DWORD exStyle, bool menu, int clientWidth, int clientHeight) {
  RECT r{0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&r, style, menu ? TRUE : FALSE, exStyle);
  return {r.right - r.left, r.bottom - r.top};
}

LRESULT WindowBase::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK WindowBase::proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<WindowBase*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    const LRESULT result = ::DefWindowProcW(window, message, wParam, lParam);
    self->hwnd_ = nullptr;
    self->destroyed();
    return result;
  }
  return self->handle(message, wParam, lParam);
}

void centreOver(HWND window, HWND owner) {
  RECT mine;
  RECT theirs;
  ::GetWindowRect(window, &mine);
  ::GetWindowRect(owner, &theirs);
  ::SetWindowPos(window, nullptr, (theirs.left + theirs.right - (mine.right - mine.left)) / 2,
                 (theirs.top + theirs.bottom - (mine.bottom - mine.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void runModal(HWND window, HWND owner) {
  const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  ::ShowWindow(window, SW_SHOW);
  ::SetForegroundWindow(window);
  MSG message;
  while (::IsWindow(window) && ::IsWindowVisible(window)) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
      break;
    }
    if (got < 0) break;
    if (translateKeys(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  if (ownerWasEnabled) {
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
  }
}

void setAccelerators(HWND window, HACCEL accelerators) {
  acceleratorWindow = window;
  acceleratorTable = accelerators;
}

bool translateKeys(MSG& message) {
  if (acceleratorTable && acceleratorWindow && message.hwnd &&
      (message.hwnd == acceleratorWindow || ::IsChild(acceleratorWindow, message.hwnd)) &&
      ::TranslateAcceleratorW(acceleratorWindow, acceleratorTable, &message)) {
    return true;
  }
  HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  return root && ::IsDialogMessageW(root, &message);
}

int runMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = ::GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got < 0) return 1;
    if (translateKeys(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace tunebelt::win32
