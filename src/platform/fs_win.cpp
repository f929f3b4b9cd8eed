// The file-system layer on Windows: the wide calls, with UTF-8 inside the
// program and UTF-16 at the system (codepage.h). Both "\" and "/" separate
// components, as the system reads them.
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>

#include "platform/codepage.h"
#include "platform/filestream.h"
#include "platform/fs.h"
#include "platform/winutil.h"

namespace tunebelt::platform {

using detail::Handle;
using detail::throwWin32;
using detail::widePath;

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

bool hasWildcard(std::string_view s) {
  return s.find_first_of("*?") != std::string_view::npos;
}

std::string withoutTrailingSeps(std::string p) {
  while (p.size() > 1 && isSep(p.back())) {
    if (p.size() == 3 && p[1] == ':') break;  // "C:\" is the root
    p.pop_back();
  }
  return p;
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

// Opens a regular file for reading; a folder, device or pipe is refused
// without waiting on it.
Handle openRegularForReading(const std::string& path, const std::string& shown,
                             std::uint64_t& size) {
  // Opening never waits on Windows (a pipe with no free end refuses at
  // once), so the kind is told from the open handle: a folder opens too.
  const std::wstring w = widePath(path);
  Handle h(::CreateFileW(w.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) throwWin32(shown, ::GetLastError());
  switch (::GetFileType(h.get())) {
    case FILE_TYPE_DISK:
      break;
    case FILE_TYPE_PIPE:
      throw FsError(shown, "is a FIFO (named pipe), not a regular file");
    default:
      throw FsError(shown, "is a device, not a regular file");
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h.get(), &info)) throwWin32(shown, ::GetLastError());
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw FsError(shown, std::strerror(EISDIR));
  }
  size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return h;
}

std::string tooLarge(std::uint64_t maxBytes) {
  return "is larger than " + std::to_string(maxBytes >> 20) + " MiB; such a file is not read";
}

std::string readOpenFile(HANDLE h, std::uint64_t maxBytes, bool refuseLonger,
                         const std::string& shown, std::uint64_t sizeHint) {
  std::string out;
  if (sizeHint > 0) out.reserve(static_cast<std::size_t>(std::min(sizeHint, maxBytes)));
  char buf[65536];
  for (;;) {
    std::uint64_t room = maxBytes - out.size();
    // One byte beyond the limit tells a longer file from one that fits.
    DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(sizeof buf, room + 1));
    DWORD got = 0;
    if (!::ReadFile(h, buf, want, &got, nullptr)) throwWin32(shown, ::GetLastError());
    if (got == 0) return out;
    if (got > room) {
      if (refuseLonger) throw FsError(shown, tooLarge(maxBytes));
      out.append(buf, static_cast<std::size_t>(room));
      return out;
    }
    out.append(buf, got);
  }
}

void writeAll(HANDLE h, const char* data, std::size_t size, const std::string& shown) {
  while (size > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(h, data, chunk, &written, nullptr)) throwWin32(shown, ::GetLastError());
    data += written;
    size -= written;
  }
}

void copyContent(HANDLE in, HANDLE out, const std::string& source, const std::string& target) {
  std::unique_ptr<char[]> buf(new char[1 << 20]);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(in, buf.get(), 1 << 20, &got, nullptr)) throwWin32(source, ::GetLastError());
    if (got == 0) return;
    writeAll(out, buf.get(), got, target);
  }
}

// The folder a temporary file for `target` goes in, which must be a folder.
void checkParent(const std::string& target, const std::string& shown) {
  std::string parent, last;
  if (!detail::splitLast(target, parent, last)) throwWin32(shown, ERROR_INVALID_NAME);
  Facts facts;
  if (!followedFacts(widePath(parent), facts)) throwWin32(parent, ::GetLastError());
  if ((facts.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) throwErrno(parent, ENOTDIR);
}

// Attributes of an existing target, or INVALID_FILE_ATTRIBUTES when there is
// none. A read-only target is refused as a direct write would be, and a
// folder or device is never replaced.
DWORD existingTarget(const std::string& target, const std::string& shown,
                     std::uint64_t* size = nullptr) {
  Facts facts;
  if (!followedFacts(widePath(target), facts)) {
    DWORD err = ::GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return INVALID_FILE_ATTRIBUTES;
    throwWin32(shown, err);
  }
  if ((facts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw FsError(shown, std::strerror(EISDIR));
  }
  if ((facts.attributes & FILE_ATTRIBUTE_READONLY) != 0) throwErrno(shown, EACCES);
  if (size != nullptr) *size = facts.size;
  return facts.attributes;
}

// Where a write to `target` lands: the target itself, or, for a symbolic
// link, the file it points to, so that the player's link stays a link.
std::string writeTarget(const std::string& target, const std::string& shown) {
  const std::wstring w = widePath(target);
  Facts facts;
  DWORD tag = 0;
  if (!entryFacts(w, facts, &tag) || !detail::isNameSurrogate(facts.attributes, tag)) {
    return target;
  }
  Handle h(::CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) {
    DWORD err = ::GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) {
      throw FsError(shown, "is a link to a file that does not exist");
    }
    throwWin32(shown, err);
  }
  wchar_t buf[32768];
  DWORD n = ::GetFinalPathNameByHandleW(h.get(), buf, 32768, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= 32768) throwWin32(shown, ::GetLastError());
  return fromWide(std::wstring_view(buf, n));
}

// True when the file at `target` holds exactly `content`.
bool holdsExactly(const std::string& target, std::string_view content) {
  Handle h(::CreateFileW(widePath(target).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!h || ::GetFileType(h.get()) != FILE_TYPE_DISK) return false;
  char buf[65536];
  std::size_t pos = 0;
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(h.get(), buf, sizeof buf, &got, nullptr)) return false;
    if (got == 0) return pos == content.size();
    if (pos + got > content.size() || content.compare(pos, got, buf, got) != 0) return false;
    pos += got;
  }
}

bool setDisposition(HANDLE h, bool remove) {
  FILE_DISPOSITION_INFO info{static_cast<BOOLEAN>(remove ? TRUE : FALSE)};
  return ::SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info) != 0;
}

// A temporary file beside its target. It is marked for deletion from the
// start, so a killed program leaves nothing behind; only a commit takes the
// mark away and gives it the target's name. Other programs may read it but
// not delete it while it is open.
class TempFile {
 public:
  TempFile(const std::string& target, const std::string& shown) {
    std::string parent, last;
    detail::splitLast(target, parent, last);
    std::wstring lastWide = toWide(last).substr(0, 40);
    if (!lastWide.empty() && lastWide.back() >= 0xD800 && lastWide.back() <= 0xDBFF) {
      lastWide.pop_back();  // never half of a surrogate pair
    }
    std::wstring base = toWide(parent);
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/' && base.back() != L':') {
      base += L'\\';
    }
    base += L".tunebelt-" + lastWide;
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::wstring name = base + L"-" + std::to_wstring(rng() % 1000000000ULL) + L".tmp";
      h_ = Handle(::CreateFileW(widePath(fromWide(name)).c_str(), GENERIC_WRITE | DELETE,
                                FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
      if (h_) {
        setDisposition(h_.get(), true);
        return;
      }
      DWORD err = ::GetLastError();
      if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) throwWin32(shown, err);
    }
    throwWin32(shown, ERROR_FILE_EXISTS);
  }
  HANDLE get() const { return h_.get(); }

  // Gives the file the target's name. With `replace`, an existing target
  // goes; its attributes (hidden, system, archive) carry over. Without, a
  // taken name answers false and the file goes away.
  bool commit(const std::string& target, const std::string& shown, bool replace,
              DWORD oldAttributes, bool synced) {
    if (synced && !::FlushFileBuffers(h_.get())) throwWin32(shown, ::GetLastError());
    if (oldAttributes != INVALID_FILE_ATTRIBUTES) {
      FILE_BASIC_INFO info{};
      DWORD keep = oldAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
      info.FileAttributes = keep == 0 ? FILE_ATTRIBUTE_NORMAL : keep;
      ::SetFileInformationByHandle(h_.get(), FileBasicInfo, &info, sizeof info);
    }
    if (!setDisposition(h_.get(), false)) throwWin32(shown, ::GetLastError());
    const std::wstring to = widePath(target);
    std::string buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t), '\0');
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, to.data(), to.size() * sizeof(wchar_t));
    if (!::SetFileInformationByHandle(h_.get(), FileRenameInfo, info,
                                      static_cast<DWORD>(buffer.size()))) {
      DWORD err = ::GetLastError();
      setDisposition(h_.get(), true);
      if (!replace && (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS)) return false;
      throwWin32(shown, err);
    }
    // The rename is part of the file's metadata: flushing the file now puts
    // its new name on the disk with it.
    if (synced && !::FlushFileBuffers(h_.get())) throwWin32(shown, ::GetLastError());
    h_.reset();
    return true;
  }

 private:
  Handle h_;
};

}  // namespace

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
  std::string native = withoutTrailingSeps(std::string(path));
  std::string parent, last;
  const bool hasLast = detail::splitLast(native, parent, last);
  // "*" and "?" are in no Windows name: a lookup would be a pattern.
  if (hasLast && hasWildcard(last)) {
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

std::vector<DirEntry> listMatching(std::string_view path) {
  const std::string shown(path);
  std::string native = withoutTrailingSeps(nativePath(path));
  std::string parent, last;
  const bool hasLast = detail::splitLast(native, parent, last);
  std::vector<DirEntry> out;
  if (!hasLast || !hasWildcard(last)) {
    std::optional<DirEntry> e = lookupEntry(native);
    if (!e) throwWin32(shown, ::GetLastError());
    out.push_back(std::move(*e));
    return out;
  }
  if (hasWildcard(parent)) throwErrno(shown, ENOENT);
  findEach(shown, native, [&](DirEntry e) {
    if (e.isLink) {
      // A lookup by name follows the link: report what it points to.
      Facts facts;
      if (!followedFacts(widePath(joinPath(parent, e.name)), facts)) return;
      e = makeEntry(e.name, facts.attributes, facts.size, 0);
    }
    out.push_back(std::move(e));
  });
  return out;
}

bool pathExists(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return false;
  Facts facts;
  return followedFacts(widePath(path), facts);
}

bool entryPresent(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return false;
  Facts facts;
  return entryFacts(widePath(path), facts);
}

bool isDirectory(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return false;
  Facts facts;
  return followedFacts(widePath(path), facts) && (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isRegularFile(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return false;
  Facts facts;
  return followedFacts(widePath(path), facts) &&
         (facts.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::optional<std::uint64_t> fileSize(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return std::nullopt;
  Facts facts;
  if (!followedFacts(widePath(path), facts) ||
      (facts.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return std::nullopt;
  }
  return facts.size;
}

bool isSymlink(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return false;
  Facts facts;
  DWORD tag = 0;
  return entryFacts(widePath(path), facts, &tag) && detail::isNameSurrogate(facts.attributes, tag);
}

std::string readFile(std::string_view path, std::uint64_t maxBytes) {
  const std::string shown(path);
  std::uint64_t size = 0;
  Handle h = openRegularForReading(nativePath(path), shown, size);
  if (size > maxBytes) throw FsError(shown, tooLarge(maxBytes));
  return readOpenFile(h.get(), maxBytes, true, shown, size);
}

std::string readFileHead(std::string_view path, std::uint64_t maxBytes) {
  const std::string shown(path);
  std::uint64_t size = 0;
  Handle h = openRegularForReading(nativePath(path), shown, size);
  return readOpenFile(h.get(), maxBytes, false, shown, size);
}

bool fileHolds(std::string_view path, std::string_view content) {
  if (path.find('\0') != std::string_view::npos) return false;
  return holdsExactly(nativePath(path), content);
}

WriteResult writeFileAtomic(std::string_view path, std::string_view content, Durability durability,
                            Links links) {
  const std::string shown(path);
  const std::string native = nativePath(path);
  const std::string target = links == Links::Follow ? writeTarget(native, shown) : native;
  checkParent(target, shown);
  // A link the new file replaces: what it points to is neither read nor kept.
  const bool link = links == Links::Replace && isSymlink(target);
  std::uint64_t oldSize = 0;
  DWORD old = link ? INVALID_FILE_ATTRIBUTES : existingTarget(target, shown, &oldSize);
  // A file that holds these bytes already stays as it is.
  if (old != INVALID_FILE_ATTRIBUTES && oldSize == content.size() &&
      holdsExactly(target, content)) {
    return WriteResult::Unchanged;
  }
  TempFile tmp(target, shown);
  writeAll(tmp.get(), content.data(), content.size(), shown);
  tmp.commit(target, shown, true, old, durability == Durability::Synced);
  return old != INVALID_FILE_ATTRIBUTES || link ? WriteResult::Replaced : WriteResult::Created;
}

void copyFileAtomic(std::string_view source, std::string_view target) {
  const std::string from(source), to(target);
  std::uint64_t size = 0;
  Handle in = openRegularForReading(nativePath(source), from, size);
  const std::string dst = nativePath(target);
  checkParent(dst, to);
  DWORD old = existingTarget(dst, to);
  TempFile tmp(dst, to);
  copyContent(in.get(), tmp.get(), from, to);
  tmp.commit(dst, to, true, old, false);
}

namespace {

// 100-nanosecond steps since 1601 as nanoseconds since 1970.
std::int64_t nanosSince1970(const FILETIME& t) {
  constexpr std::int64_t k1601To1970 = 116444736000000000;
  const std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  return (ticks - k1601To1970) * 100;
}

FileId idOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber,
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

FileStamp stampOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {(static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
          nanosSince1970(info.ftLastWriteTime)};
}

BY_HANDLE_FILE_INFORMATION infoOf(HANDLE h, const std::string& shown) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info)) throwWin32(shown, ::GetLastError());
  return info;
}

}  // namespace

std::optional<FileStamp> fileStamp(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return std::nullopt;
  Handle h(::CreateFileW(widePath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                         nullptr));
  DWORD attributes = 0, tag = 0;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h || !detail::attributeTag(h.get(), attributes, tag) ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
      !::GetFileInformationByHandle(h.get(), &info)) {
    return std::nullopt;
  }
  return stampOf(info);
}

FileFacts regularFileFacts(std::string_view path) {
  const std::string shown(path);
  // Attributes only: the file itself is not opened for its content.
  Handle h(::CreateFileW(widePath(nativePath(path)).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) throwWin32(shown, ::GetLastError());
  switch (::GetFileType(h.get())) {
    case FILE_TYPE_DISK:
      break;
    case FILE_TYPE_PIPE:
      throw FsError(shown, "is a FIFO (named pipe), not a regular file");
    default:
      throw FsError(shown, "is a device, not a regular file");
  }
  const BY_HANDLE_FILE_INFORMATION info = infoOf(h.get(), shown);
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw FsError(shown, std::strerror(EISDIR));
  }
  return {idOf(info), stampOf(info)};
}

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

std::optional<FileStamp> fileStampIn(const FolderHandle& folder, std::string_view name) {
  if (name.empty() || name.find_first_of(std::string_view("\\/:\0", 4)) != std::string_view::npos) {
    return std::nullopt;
  }
  Handle h;
  if (!NT_SUCCESS(detail::openRelative(folder.native(), toWide(name), FILE_READ_ATTRIBUTES,
                                       kShareAll, 0, h))) {
    return std::nullopt;
  }
  DWORD attributes = 0, tag = 0;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!detail::attributeTag(h.get(), attributes, tag) ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
      !::GetFileInformationByHandle(h.get(), &info)) {
    return std::nullopt;
  }
  return stampOf(info);
}

void checkOpensForReading(std::string_view path) {
  std::uint64_t size = 0;
  openRegularForReading(nativePath(path), std::string(path), size);
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : path_(std::move(other.path_)), id_(other.id_), handle_(other.handle_) {
  other.handle_ = nullptr;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) ::CloseHandle(handle_);
    path_ = std::move(other.path_);
    id_ = other.id_;
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

FolderHandle::~FolderHandle() {
  if (handle_ != nullptr) ::CloseHandle(handle_);
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
  DWORD attributes = 0, tag = 0;
  if (!detail::attributeTag(h.get(), attributes, tag)) throwWin32(f.path_, ::GetLastError());
  if (detail::isNameSurrogate(attributes, tag)) {
    throw FsError(f.path_, "is a symbolic link, not a folder");
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) throwErrno(f.path_, ENOTDIR);
  f.id_ = idOf(infoOf(h.get(), f.path_));
  f.handle_ = h.release();
  return f;
}

bool FolderHandle::stillInPlace() const {
  Handle h(::CreateFileW(widePath(path_).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return h && ::GetFileInformationByHandle(h.get(), &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && idOf(info) == id_;
}

CopyResult copyIntoFolder(std::string_view source, const FolderHandle& folder,
                          std::string_view name, const FileStamp* known) {
  const std::string from(source);
  const std::string shown = joinPath(folder.path(), name);
  const std::string leaf = nativePath(name);
  if (leaf.empty() || leaf == "." || leaf == ".." ||
      leaf.find_first_of("\\/:") != std::string::npos) {
    throwErrno(shown, EINVAL);
  }
  const std::wstring wleaf = toWide(leaf);
  HANDLE dir = folder.native();
  std::uint64_t size = 0;
  Handle in = openRegularForReading(nativePath(source), from, size);
  const BY_HANDLE_FILE_INFORMATION src = infoOf(in.get(), from);

  Handle old;
  const NTSTATUS opened = detail::openRelative(dir, wleaf, FILE_READ_ATTRIBUTES, kShareAll, 0, old);
  const bool present = NT_SUCCESS(opened);
  if (!present) {
    const DWORD err = detail::ntToWin32(opened);
    if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND) throwWin32(shown, err);
  }
  bool oldFile = false;
  if (present) {
    DWORD attributes = 0, tag = 0;
    if (!detail::attributeTag(old.get(), attributes, tag)) throwWin32(shown, ::GetLastError());
    const bool link = detail::isNameSurrogate(attributes, tag);
    // A folder is never replaced; a link is.
    if (!link && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      throw FsError(shown, std::strerror(EISDIR));
    }
    oldFile = !link;
    if (oldFile &&
        sameVersion(stampOf(infoOf(old.get(), shown)), known != nullptr ? *known : stampOf(src))) {
      return CopyResult::AlreadyThere;
    }
    if (oldFile && (attributes & FILE_ATTRIBUTE_READONLY) != 0) throwErrno(shown, EACCES);
    old.reset();
  }

  // A temporary file in the folder, marked for deletion until it takes the
  // name, so a killed program leaves nothing behind.
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  std::wstring base = L".tunebelt-" + wleaf.substr(0, 40);
  if (!base.empty() && base.back() >= 0xD800 && base.back() <= 0xDBFF) base.pop_back();
  Handle tmp;
  NTSTATUS made = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring tmpName = base + L"-" + std::to_wstring(rng() % 1000000000ULL) + L".tmp";
    made = detail::openRelative(dir, tmpName, GENERIC_WRITE | DELETE | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ, FILE_NON_DIRECTORY_FILE, tmp, FILE_CREATE);
    if (NT_SUCCESS(made)) break;
    const DWORD err = detail::ntToWin32(made);
    if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) throwWin32(shown, err);
  }
  if (!tmp) throwWin32(shown, detail::ntToWin32(made));
  setDisposition(tmp.get(), true);
  copyContent(in.get(), tmp.get(), from, shown);
  // The copy keeps the source's modification time: the next save tells by
  // it that the copy is still of this version.
  if (!::SetFileTime(tmp.get(), nullptr, nullptr, &src.ftLastWriteTime)) {
    throwWin32(shown, ::GetLastError());
  }
  if (!setDisposition(tmp.get(), false)) throwWin32(shown, ::GetLastError());
  // The name relative to the open folder, straight to the system's rename:
  // the Win32 call would make a relative name a path in the current folder.
  std::string buffer(sizeof(FILE_RENAME_INFORMATION) + wleaf.size() * sizeof(wchar_t), '\0');
  auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = dir;
  info->FileNameLength = static_cast<ULONG>(wleaf.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, wleaf.data(), wleaf.size() * sizeof(wchar_t));
  IO_STATUS_BLOCK io{};
  const NTSTATUS renamed = ::NtSetInformationFile(
      tmp.get(), &io, info, static_cast<ULONG>(buffer.size()), FileRenameInformation);
  if (!NT_SUCCESS(renamed)) {
    setDisposition(tmp.get(), true);
    throwWin32(shown, detail::ntToWin32(renamed));
  }
  return present ? CopyResult::Replaced : CopyResult::Copied;
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

// ---- filestream.h -------------------------------------------------------------

namespace {

OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

}  // namespace

InputFile::InputFile(std::string_view path) : path_(path) {
  std::uint64_t size = 0;
  Handle h = openRegularForReading(nativePath(path), path_, size);
  FILETIME written{};
  if (!::GetFileTime(h.get(), nullptr, nullptr, &written)) throwWin32(path_, ::GetLastError());
  stamp_ = FileStamp{size, nanosSince1970(written)};
  handle_ = h.release();
}

InputFile::~InputFile() {
  if (handle_ != nullptr) ::CloseHandle(handle_);
}

std::size_t InputFile::readAt(std::uint64_t offset, void* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    OVERLAPPED o = at(offset + done);
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(handle_, static_cast<char*>(data) + done, want, &got, &o)) {
      DWORD err = ::GetLastError();
      if (err == ERROR_HANDLE_EOF) break;
      throwWin32(path_, err);
    }
    if (got == 0) break;
    done += got;
  }
  position_ = offset + done;
  return done;
}

struct PendingFile::Impl {
  Impl(const std::string& shown, std::string nativeTarget)
      : target(std::move(nativeTarget)), tmp(target, shown) {}
  std::string target;
  TempFile tmp;
};

namespace {

// Where a new version of `path` goes, checked as writeFileAtomic checks it.
std::string pendingTarget(std::string_view path) {
  const std::string shown(path);
  std::string target = writeTarget(nativePath(path), shown);
  checkParent(target, shown);
  existingTarget(target, shown);
  return target;
}

}  // namespace

PendingFile::PendingFile(std::string_view target)
    : target_(target), impl_(std::make_unique<Impl>(target_, pendingTarget(target))) {}

PendingFile::~PendingFile() = default;
PendingFile::PendingFile(PendingFile&&) noexcept = default;
PendingFile& PendingFile::operator=(PendingFile&&) noexcept = default;

void PendingFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  std::uint64_t pos = offset;
  for (std::size_t left = size; left > 0;) {
    OVERLAPPED o = at(pos);
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(impl_->tmp.get(), p, chunk, &written, &o)) {
      throwWin32(target_, ::GetLastError());
    }
    p += written;
    pos += written;
    left -= written;
  }
  size_ = std::max(size_, pos);
}

void PendingFile::commit() {
  DWORD old = existingTarget(impl_->target, target_);
  impl_->tmp.commit(impl_->target, target_, true, old, false);
}

}  // namespace tunebelt::platform
