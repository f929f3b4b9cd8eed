#include "platform/appfolders.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/fsdetail.h"
#include "platform/winutil.h"

namespace tunebelt::platform {

namespace detail {

bool makePrivateFolders(const std::string& path) {
  // Each missing level from the top; a new folder under the user's profile
  // takes the profile's access rules, which admit only the user.
  std::wstring w = widePath(path);
  for (std::size_t i = 0; i <= w.size(); ++i) {
    if (i < w.size() && w[i] != L'\\' && w[i] != L'/') continue;
    std::wstring part = w.substr(0, i);
    if (part.empty() || part.back() == L':' || part.back() == L'?') continue;
    // A level that exists, a drive root or a share refuses; the check below
    // tells whether the whole path is there.
    ::CreateDirectoryW(part.c_str(), nullptr);
  }
  return isDirectory(path);
}

}  // namespace detail

std::string executableFolder() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return ".";
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  auto slash = buf.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return ".";
  return fromWide(std::wstring_view(buf).substr(0, slash));
}

bool folderWritable(const std::string& folder) {
  // The read-only attribute of a folder means nothing to Windows (Explorer
  // uses it for its own purposes), and access rules are many: the answer is
  // a real file created and dropped again. Nothing stays behind, also when
  // the program is killed in between.
  if (!isDirectory(folder)) return false;
  std::string probe =
      joinPath(folder, ".tunebelt-probe-" + std::to_string(::GetCurrentProcessId()) + ".tmp");
  HANDLE h = ::CreateFileW(detail::widePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_EXISTS;
  ::CloseHandle(h);
  return true;
}

}  // namespace tunebelt::platform
