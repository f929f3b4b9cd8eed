#include "platform/winutil.h"

#include <cerrno>
#include <cstring>

#include "platform/codepage.h"
#include "platform/fs.h"

namespace tunebelt::platform::detail {

namespace {

// Not in every SDK's user-mode headers.
struct MountPointReparseBuffer {
  DWORD ReparseTag;
  WORD ReparseDataLength;
  WORD Reserved;
  WORD SubstituteNameOffset;
  WORD SubstituteNameLength;
  WORD PrintNameOffset;
  WORD PrintNameLength;
  WCHAR PathBuffer[1];
};

struct FileDispositionInfoEx {
  ULONG Flags;
};
constexpr ULONG kDispositionDelete = 0x1;
constexpr ULONG kDispositionPosixSemantics = 0x2;
constexpr ULONG kDispositionIgnoreReadOnly = 0x10;
constexpr FILE_INFO_BY_HANDLE_CLASS kFileDispositionInfoEx =
    static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);

bool isFullPath(const std::wstring& w) {
  if (w.size() >= 3 && w[1] == L':' && (w[2] == L'\\' || w[2] == L'/')) return true;
  return w.size() >= 2 && (w[0] == L'\\' || w[0] == L'/') && (w[1] == L'\\' || w[1] == L'/');
}

}  // namespace

std::wstring widePath(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) {
    throw FsError(std::string(path), std::strerror(EINVAL));
  }
  std::wstring w = toWide(path);
  // Below the classic limit the path goes as it is; a longer one is made
  // full and given the "\\?\" form, which turns off the limit (and the
  // system's own normalisation, which GetFullPathNameW has just done).
  if (w.size() < MAX_PATH - 12 || !isFullPath(w) || w.rfind(L"\\\\?\\", 0) == 0) return w;
  DWORD need = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (need == 0) return w;
  std::wstring full(need, L'\0');
  DWORD got = ::GetFullPathNameW(w.c_str(), need, full.data(), nullptr);
  if (got == 0 || got >= need) return w;
  full.resize(got);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string win32Reason(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return std::strerror(EACCES);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::strerror(EEXIST);
    case ERROR_DIR_NOT_EMPTY:
      return std::strerror(ENOTEMPTY);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::strerror(ENOSPC);
    case ERROR_DIRECTORY:
      return std::strerror(ENOTDIR);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
      return std::strerror(EINVAL);
    case ERROR_FILENAME_EXCED_RANGE:
      return std::strerror(ENAMETOOLONG);
    case ERROR_NOT_READY:
      return "The device is not ready";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "The file is in use by another program";
    default:
      break;
  }
  wchar_t* text = nullptr;
  DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, err, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out;
  if (n > 0 && text != nullptr) out = fromWide(std::wstring_view(text, n));
  if (text != nullptr) ::LocalFree(text);
  while (!out.empty() &&
         (out.back() == '\n' || out.back() == '\r' || out.back() == '.' || out.back() == ' ')) {
    out.pop_back();
  }
  if (out.empty()) out = "Windows error " + std::to_string(err);
  return out;
}

void throwWin32(const std::string& path, DWORD err) {
  throw FsError(path, win32Reason(err));
}

DWORD ntToWin32(NTSTATUS status) {
  return ::RtlNtStatusToDosError(status);
}

bool isNameSurrogate(DWORD attributes, DWORD reparseTag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(reparseTag);
}

bool isVolumeMountPoint(HANDLE h) {
  alignas(8) unsigned char buf[MAXIMUM_REPARSE_DATA_BUFFER_SIZE];
  DWORD got = 0;
  if (!::DeviceIoControl(h, FSCTL_GET_REPARSE_POINT, nullptr, 0, buf, sizeof buf, &got, nullptr)) {
    return false;
  }
  const auto* r = reinterpret_cast<const MountPointReparseBuffer*>(buf);
  if (r->ReparseTag != IO_REPARSE_TAG_MOUNT_POINT) return false;
  const std::size_t offset = offsetof(MountPointReparseBuffer, PathBuffer);
  if (offset + r->SubstituteNameOffset + r->SubstituteNameLength > got) return false;
  std::wstring_view target(r->PathBuffer + r->SubstituteNameOffset / sizeof(WCHAR),
                           r->SubstituteNameLength / sizeof(WCHAR));
  return target.rfind(L"\\??\\Volume{", 0) == 0;
}

bool attributeTag(HANDLE h, DWORD& attributes, DWORD& reparseTag) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info)) return false;
  attributes = info.FileAttributes;
  reparseTag = info.ReparseTag;
  return true;
}

NTSTATUS openRelative(HANDLE parent, std::wstring_view name, ACCESS_MASK access, ULONG share,
                      ULONG options, Handle& out, ULONG disposition) {
  UNICODE_STRING us;
  us.Buffer = const_cast<PWSTR>(name.data());
  us.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  us.MaximumLength = us.Length;
  OBJECT_ATTRIBUTES oa;
  InitializeObjectAttributes(&oa, &us, OBJ_CASE_INSENSITIVE, parent, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE h = nullptr;
  NTSTATUS status =
      ::NtCreateFile(&h, access | SYNCHRONIZE, &oa, &io, nullptr, 0, share, disposition,
                     options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT |
                         FILE_OPEN_FOR_BACKUP_INTENT,
                     nullptr, 0);
  out = Handle(NT_SUCCESS(status) ? h : nullptr);
  return status;
}

bool deleteByHandle(HANDLE h) {
  // POSIX semantics take the name away at once, even while another program
  // still has the file open; older systems only know the classic flag.
  FileDispositionInfoEx ex{kDispositionDelete | kDispositionPosixSemantics |
                           kDispositionIgnoreReadOnly};
  if (::SetFileInformationByHandle(h, kFileDispositionInfoEx, &ex, sizeof ex)) return true;
  FILE_DISPOSITION_INFO classic{TRUE};
  return ::SetFileInformationByHandle(h, FileDispositionInfo, &classic, sizeof classic) != 0;
}

bool clearAttributes(HANDLE h, DWORD attributes) {
  constexpr DWORD kCleared =
      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if ((attributes & kCleared) == 0) return true;
  FILE_BASIC_INFO info{};
  DWORD keep = attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  info.FileAttributes = keep == 0 ? FILE_ATTRIBUTE_NORMAL : keep;
  return ::SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info) != 0;
}

bool splitLast(std::string_view path, std::string& parent, std::string& last) {
  std::string p(path);
  while (p.size() > 1 && isSep(p.back())) p.pop_back();
  auto pos = p.find_last_of("\\/");
  if (pos == std::string::npos) {
    if (p.size() >= 2 && p[1] == ':') {  // "C:name": the name in drive C's current folder
      parent = p.substr(0, 2);
      last = p.substr(2);
    } else {
      parent = ".";
      last = p;
    }
  } else {
    parent = pos == 0 ? p.substr(0, 1) : p.substr(0, pos);
    if (parent.size() == 2 && parent[1] == ':') parent += '\\';  // "C:\x": the root
    last = p.substr(pos + 1);
  }
  return !last.empty() && !(last.size() == 2 && last[1] == ':');
}

}  // namespace tunebelt::platform::detail
