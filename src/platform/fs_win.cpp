// The file-system primitives on Windows (primitives.h), and the calls of
// fs.h that only name, list or look up: the wide calls, with UTF-8 inside
// the program and UTF-16 at the system (codepage.h). Both "\" and "/"
// separate components, as the system reads them.
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/fsdetail.h"
#include "platform/primitives.h"
#include "platform/winutil.h"

namespace tunebelt::platform {

using detail::throwWin32;
using detail::widePath;
using sys::Handle;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// What the system says about one path, links followed or not.
struct Facts {
  DWORD attributes = 0;
  std::uint64_t size = 0;
};

bool reparseTagOf(const std::wstring& w, DWORD& tag) {
  Handle h(::CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  DWORD attributes = 0;
  return h && detail::attributeTag(h.get(), attributes, tag);
}

// The entry itself; false (GetLastError set) when there is none.
bool entryFacts(const std::wstring& w, Facts& facts, DWORD* reparseTag = nullptr) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(w.c_str(), GetFileExInfoStandard, &data)) return false;
  facts.attributes = data.dwFileAttributes;
  facts.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (reparseTag != nullptr) {
    *reparseTag = 0;
    if ((facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) reparseTagOf(w, *reparseTag);
  }
  return true;
}

// What a lookup of the name reaches: a link is followed to what it points to.
bool followedFacts(const std::wstring& w, Facts& facts) {
  if (!entryFacts(w, facts)) return false;
  if ((facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
  Handle h(::CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h || !::GetFileInformationByHandle(h.get(), &info)) return false;
  facts.attributes = info.dwFileAttributes;
  facts.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return true;
}

DirEntry makeEntry(std::string name, DWORD attributes, std::uint64_t size, DWORD reparseTag) {
  DirEntry e;
  e.name = std::move(name);
  e.isLink = detail::isNameSurrogate(attributes, reparseTag);
  e.isDir = !e.isLink && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  e.isHidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  e.isSystem = (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
  e.size = (!e.isLink && !e.isDir) ? size : 0;
  return e;
}

// A listing of `pattern` through the system's own matching.
template <typename Each>
void findEach(const std::string& shown, const std::string& pattern, Each each) {
  WIN32_FIND_DATAW fd{};
  HANDLE h = ::FindFirstFileExW(widePath(pattern).c_str(), FindExInfoBasic, &fd,
                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD err = ::GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES) return;  // nothing matched
    throwWin32(shown, err);
  }
  std::unique_ptr<void, BOOL (*)(HANDLE)> closer(h, ::FindClose);
  do {
    std::wstring_view name(fd.cFileName);
    if (name == L"." || name == L"..") continue;
    DWORD tag = (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? fd.dwReserved0 : 0;
    each(makeEntry(fromWide(name), fd.dwFileAttributes,
                   (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow, tag));
  } while (::FindNextFileW(h, &fd));
  DWORD err = ::GetLastError();
  if (err != ERROR_NO_MORE_FILES) throwWin32(shown, err);
}

// 100-nanosecond steps since 1601 as nanoseconds since 1970, and back.
constexpr std::int64_t k1601To1970 = 116444736000000000;

std::int64_t nanosSince1970(const FILETIME& t) {
  const std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  return (ticks - k1601To1970) * 100;
}

FILETIME fileTimeOf(std::int64_t nanos) {
  const auto ticks = static_cast<std::uint64_t>(nanos / 100 + k1601To1970);
  FILETIME t{};
  t.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return t;
}

std::uint64_t sizeOf(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

// The facts of an entry with these attributes; a name surrogate is a link
// unless it was followed.
sys::Info infoFrom(DWORD attributes, DWORD reparseTag, std::uint64_t size,
                   const FILETIME& written) {
  sys::Info info;
  if (detail::isNameSurrogate(attributes, reparseTag)) {
    info.kind = sys::Kind::Link;
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    info.kind = sys::Kind::Folder;
  } else if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    info.kind = sys::Kind::Device;
  } else {
    info.kind = sys::Kind::Regular;
    info.stamp.size = size;
  }
  info.stamp.modified = nanosSince1970(written);
  // The read-only attribute of a folder means nothing to the system.
  info.writable = info.kind == sys::Kind::Folder || (attributes & FILE_ATTRIBUTE_READONLY) == 0;
  info.keep = attributes;
  return info;
}

bool setDisposition(HANDLE h, bool remove) {
  FILE_DISPOSITION_INFO info{static_cast<BOOLEAN>(remove ? TRUE : FALSE)};
  return ::SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info) != 0;
}

// Sets the last error from an NT call's status; false.
bool failedWith(NTSTATUS status) {
  ::SetLastError(detail::ntToWin32(status));
  return false;
}

}  // namespace

namespace sys {

void closeNative(Native h) {
  ::CloseHandle(h);
}

Error lastError() {
  return static_cast<Error>(::GetLastError());
}

std::string reasonOf(Error err) {
  return detail::win32Reason(static_cast<DWORD>(err));
}

bool isMissing(Error err) {
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

bool isTaken(Error err) {
  return err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS;
}

bool isNoFolder(Error err) {
  return err == ERROR_DIRECTORY;
}

bool isOutOfHandles(Error /*err*/) {
  return false;  // handles are no scarce resource here
}

bool statPath(const std::string& native, bool follow, Info& out) {
  const std::wstring w = widePath(native);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(w.c_str(), GetFileExInfoStandard, &data)) return false;
  DWORD tag = 0;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    if (follow) return identify(native, out);
    reparseTagOf(w, tag);
  }
  out = infoFrom(data.dwFileAttributes, tag, sizeOf(data.nFileSizeHigh, data.nFileSizeLow),
                 data.ftLastWriteTime);
  return true;
}

bool identify(const std::string& native, Info& out) {
  Handle h(::CreateFileW(widePath(native).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) return false;
  switch (::GetFileType(h.get())) {
    case FILE_TYPE_DISK:
      return infoOf(h.get(), out);
    case FILE_TYPE_PIPE:
      out = Info{};
      out.kind = Kind::Fifo;
      return true;
    default:
      out = Info{};
      out.kind = Kind::Device;
      return true;
  }
}

bool statAt(Native dir, const std::string& name, Info& out) {
  Handle h;
  const NTSTATUS status =
      detail::openRelative(dir, toWide(name), FILE_READ_ATTRIBUTES, kShareAll, 0, h);
  if (!NT_SUCCESS(status)) return failedWith(status);
  return infoOf(h.get(), out);
}

bool infoOf(Native h, Info& out) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info)) return false;
  DWORD attributes = info.dwFileAttributes, tag = 0;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      !detail::attributeTag(h, attributes, tag)) {
    return false;
  }
  out = infoFrom(attributes, tag, sizeOf(info.nFileSizeHigh, info.nFileSizeLow),
                 info.ftLastWriteTime);
  out.id = {info.dwVolumeSerialNumber, sizeOf(info.nFileIndexHigh, info.nFileIndexLow)};
  return true;
}

bool resolveLink(const std::string& native, std::string& out) {
  Handle h(::CreateFileW(widePath(native).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) return false;
  std::wstring buf(32768, L'\0');
  const DWORD n = ::GetFinalPathNameByHandleW(h.get(), buf.data(), 32768, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= 32768) return false;
  buf.resize(n);
  out = fromWide(buf);
  return true;
}

Handle openRegularForReading(const std::string& native, const std::string& shown, Info& out) {
  // Opening never waits on Windows (a pipe with no free end refuses at
  // once), so the kind is told from the open handle: a folder opens too.
  Handle h(::CreateFileW(widePath(native).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) throwWin32(shown, ::GetLastError());
  switch (::GetFileType(h.get())) {
    case FILE_TYPE_DISK:
      break;
    case FILE_TYPE_PIPE:
      throw FsError(shown, notRegularReason(Kind::Fifo));
    default:
      throw FsError(shown, notRegularReason(Kind::Device));
  }
  if (!infoOf(h.get(), out)) throwWin32(shown, ::GetLastError());
  if (out.kind != Kind::Regular) throw FsError(shown, notRegularReason(out.kind));
  return h;
}

namespace {

OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

DWORD chunkOf(std::size_t size) {
  return static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
}

}  // namespace

std::size_t readSome(Native h, char* data, std::size_t size, const std::string& shown) {
  DWORD got = 0;
  if (!::ReadFile(h, data, chunkOf(size), &got, nullptr)) throwWin32(shown, ::GetLastError());
  return got;
}

std::size_t readAt(Native h, std::uint64_t offset, char* data, std::size_t size,
                   const std::string& shown) {
  OVERLAPPED o = at(offset);
  DWORD got = 0;
  if (!::ReadFile(h, data, chunkOf(size), &got, &o)) {
    const DWORD err = ::GetLastError();
    if (err == ERROR_HANDLE_EOF) return 0;
    throwWin32(shown, err);
  }
  return got;
}

std::size_t writeSome(Native h, const char* data, std::size_t size, const std::string& shown) {
  DWORD written = 0;
  if (!::WriteFile(h, data, chunkOf(size), &written, nullptr)) throwWin32(shown, ::GetLastError());
  return written;
}

std::size_t writeAt(Native h, std::uint64_t offset, const char* data, std::size_t size,
                    const std::string& shown) {
  OVERLAPPED o = at(offset);
  DWORD written = 0;
  if (!::WriteFile(h, data, chunkOf(size), &written, &o)) throwWin32(shown, ::GetLastError());
  return written;
}

void copyContent(Native in, Native out, const std::string& source, const std::string& target) {
  std::unique_ptr<char[]> buf(new char[1 << 20]);
  for (;;) {
    const std::size_t got = readSome(in, buf.get(), 1 << 20, source);
    if (got == 0) return;
    for (std::size_t done = 0; done < got;) {
      done += writeSome(out, buf.get() + done, got - done, target);
    }
  }
}

void rewind(Native h, const std::string& shown) {
  LARGE_INTEGER zero{};
  if (!::SetFilePointerEx(h, zero, nullptr, FILE_BEGIN)) throwWin32(shown, ::GetLastError());
}

void setModified(Native h, const FileStamp& stamp, const std::string& shown) {
  const FILETIME written = fileTimeOf(stamp.modified);
  if (!::SetFileTime(h, nullptr, nullptr, &written)) throwWin32(shown, ::GetLastError());
}

void keepFrom(Native h, const Info& old) {
  FILE_BASIC_INFO info{};
  const DWORD keep = old.keep & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  info.FileAttributes = keep == 0 ? FILE_ATTRIBUTE_NORMAL : keep;
  ::SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info);
}

// A new file is marked for deletion from the start, so a killed program
// leaves nothing behind; only finishNew takes the mark away. Other programs
// may read it but not delete it while it is open.
bool createNew(Native dir, const std::string& name, Handle& out) {
  if (dir == kCurrentFolder) {
    out = Handle(::CreateFileW(widePath(name).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
  } else {
    const NTSTATUS made =
        detail::openRelative(dir, toWide(name), GENERIC_WRITE | DELETE | FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ, FILE_NON_DIRECTORY_FILE, out, FILE_CREATE);
    if (!NT_SUCCESS(made)) return failedWith(made);
  }
  setDisposition(out.get(), true);
  return true;
}

void finishNew(Native dir, Handle& file, const std::string& /*name*/, const std::string& target,
               bool synced, const std::string& shown) {
  HANDLE h = file.get();
  if (synced && !::FlushFileBuffers(h)) throwWin32(shown, ::GetLastError());
  if (!setDisposition(h, false)) throwWin32(shown, ::GetLastError());
  if (dir == kCurrentFolder) {
    const std::wstring to = widePath(target);
    std::string buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t), '\0');
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, to.data(), to.size() * sizeof(wchar_t));
    if (!::SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buffer.size()))) {
      const DWORD err = ::GetLastError();
      setDisposition(h, true);
      throwWin32(shown, err);
    }
  } else {
    // The name relative to the open folder, straight to the system's
    // rename: the Win32 call would make a relative name a path in the
    // current folder.
    const std::wstring to = toWide(target);
    std::string buffer(sizeof(FILE_RENAME_INFORMATION) + to.size() * sizeof(wchar_t), '\0');
    auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = dir;
    info->FileNameLength = static_cast<ULONG>(to.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, to.data(), to.size() * sizeof(wchar_t));
    IO_STATUS_BLOCK io{};
    const NTSTATUS renamed = ::NtSetInformationFile(h, &io, info, static_cast<ULONG>(buffer.size()),
                                                    FileRenameInformation);
    if (!NT_SUCCESS(renamed)) {
      setDisposition(h, true);
      throwWin32(shown, detail::ntToWin32(renamed));
    }
  }
  // The rename is part of the file's metadata: flushing the file now puts
  // its new name on the disk with it.
  if (synced && !::FlushFileBuffers(h)) throwWin32(shown, ::GetLastError());
  file.reset();
}

void dropNew(Native /*dir*/, Handle& file, const std::string& /*name*/) {
  file.reset();  // marked for deletion since it was made
}

Handle openUnnamed(Native /*dir*/, const std::string& /*shown*/) {
  return {};
}

bool linkUnnamed(Native /*dir*/, Native /*file*/, const std::string& /*name*/,
                 const std::string& /*shown*/) {
  return false;
}

bool splitLast(std::string_view path, std::string& parent, std::string& last) {
  return detail::splitLast(path, parent, last);
}

}  // namespace sys

std::string nativePath(std::string_view path) {
  // A NUL byte would silently cut the name short at the system call.
  if (path.find('\0') != std::string_view::npos) throwErrno(std::string(path), EINVAL);
  return std::string(path);
}

std::string currentFolder() {
  DWORD need = ::GetCurrentDirectoryW(0, nullptr);
  if (need == 0) return {};
  std::wstring buf(need, L'\0');
  DWORD got = ::GetCurrentDirectoryW(need, buf.data());
  if (got == 0 || got >= need) return {};
  buf.resize(got);
  return fromWide(buf);
}

bool isAbsolutePath(std::string_view path) {
  if (path.size() >= 3 && path[1] == ':' && isSep(path[2])) return true;  // "C:\x"
  return path.size() >= 2 && isSep(path[0]) && isSep(path[1]);            // UNC
}

std::string realPath(std::string_view path) {
  const std::string shown(path);
  Handle h(::CreateFileW(widePath(nativePath(path)).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) throwWin32(shown, ::GetLastError());
  std::wstring buf(32768, L'\0');
  DWORD n = ::GetFinalPathNameByHandleW(h.get(), buf.data(), 32768, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= 32768) throwWin32(shown, ::GetLastError());
  buf.resize(n);
  // The system's own prefix for long paths is not part of the player's path.
  if (buf.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    buf = L"\\\\" + buf.substr(8);  // \\?\UNC\server\share: \\server\share
  } else if (buf.rfind(L"\\\\?\\", 0) == 0) {
    buf = buf.substr(4);
  }
  return fromWide(buf);
}

std::string absolutePath(std::string_view path) {
  if (path.empty()) return std::string(path);
  const bool drive = path.size() >= 2 && path[1] == ':';
  if (drive && path.size() >= 3 && isSep(path[2])) return std::string(path);  // "C:\x"
  if (drive) return std::string(path);  // "C:x": the system knows drive C's folder
  if (path.size() >= 2 && isSep(path[0]) && isSep(path[1])) return std::string(path);  // UNC
  std::string cwd = currentFolder();
  if (cwd.empty()) return std::string(path);
  if (isSep(path[0])) {  // the root of the current drive
    return cwd.size() >= 2 && cwd[1] == ':' ? cwd.substr(0, 2) + std::string(path)
                                            : std::string(path);
  }
  if (isSep(cwd.back())) cwd.pop_back();
  return joinPath(cwd, path);
}

std::vector<DirEntry> listDir(std::string_view dir) {
  const std::string shown(dir);
  std::string native = nativePath(dir);
  if (native.empty()) throwErrno(shown, ENOENT);
  Facts facts;
  if (!followedFacts(widePath(native), facts)) throwWin32(shown, ::GetLastError());
  if ((facts.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) throwErrno(shown, ENOTDIR);
  std::vector<DirEntry> out;
  std::string pattern = native;
  if (!isSep(pattern.back()) && pattern.back() != ':') pattern += '\\';
  findEach(shown, pattern + "*", [&](DirEntry e) { out.push_back(std::move(e)); });
  return out;
}

std::optional<DirEntry> lookupEntry(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) {
    ::SetLastError(ERROR_INVALID_NAME);
    return std::nullopt;
  }
  std::string native = detail::withoutTrailingSeps(std::string(path));
  std::string parent, last;
  const bool hasLast = detail::splitLast(native, parent, last);
  // "*" and "?" are in no Windows name: a lookup would be a pattern.
  if (hasLast && detail::hasWildcard(last)) {
    ::SetLastError(ERROR_INVALID_NAME);
    return std::nullopt;
  }
  // One entry, looked up by its name (a root like "C:\" too).
  std::string lookup = native;
  if (lookup.size() == 2 && lookup[1] == ':') lookup += '\\';
  Facts facts;
  if (!followedFacts(widePath(lookup), facts)) return std::nullopt;
  return makeEntry(hasLast ? last : native, facts.attributes, facts.size, 0);
}

namespace sys {

std::vector<DirEntry> matchingEntries(const std::string& pattern, const std::string& parent,
                                      const std::string& /*last*/, const std::string& shown) {
  // The system's own matching; a wildcard names no folder.
  if (detail::hasWildcard(parent)) throwErrno(shown, ENOENT);
  std::vector<DirEntry> out;
  findEach(shown, pattern, [&](DirEntry e) { out.push_back(std::move(e)); });
  return out;
}

}  // namespace sys

std::vector<FileLook> regularFilesFacts(const std::vector<std::string>& paths) {
  std::vector<FileLook> looks(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    try {
      looks[i].facts = regularFileFacts(paths[i]);
    } catch (const FsError& e) {
      looks[i].reason = e.reason();
    }
  }
  return looks;
}

FolderHandle FolderHandle::open(std::string_view path, bool followLink) {
  FolderHandle f;
  f.path_ = std::string(path);
  // Held without delete sharing: while it is open the folder cannot be
  // renamed away or replaced.
  Handle h(::CreateFileW(
      widePath(nativePath(path)).c_str(),
      FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_ADD_FILE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr));
  if (!h) throwWin32(f.path_, ::GetLastError());
  sys::Info info;
  if (!sys::infoOf(h.get(), info)) throwWin32(f.path_, ::GetLastError());
  if (info.kind == sys::Kind::Link) throw FsError(f.path_, "is a symbolic link, not a folder");
  if (info.kind != sys::Kind::Folder) throwErrno(f.path_, ENOTDIR);
  f.id_ = info.id;
  f.native_ = h.release();
  return f;
}

void makeDir(std::string_view path) {
  if (!::CreateDirectoryW(widePath(nativePath(path)).c_str(), nullptr)) {
    throwWin32(std::string(path), ::GetLastError());
  }
}

void removeFile(std::string_view path) {
  // The entry itself, never what a link points to, whatever its attributes
  // (on POSIX a file's own permission does not keep it either).
  const std::string shown(path);
  Handle h(::CreateFileW(widePath(nativePath(path)).c_str(),
                         DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                         nullptr));
  if (!h) throwWin32(shown, ::GetLastError());
  DWORD attributes = 0, tag = 0;
  if (!detail::attributeTag(h.get(), attributes, tag)) throwWin32(shown, ::GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !detail::isNameSurrogate(attributes, tag)) {
    throwErrno(shown, EISDIR);
  }
  detail::clearAttributes(h.get(), attributes);
  if (!detail::deleteByHandle(h.get())) throwWin32(shown, ::GetLastError());
}

void removeDir(std::string_view path) {
  if (!::RemoveDirectoryW(widePath(nativePath(path)).c_str())) {
    throwWin32(std::string(path), ::GetLastError());
  }
}

}  // namespace tunebelt::platform
