// The file-system layer's rules, written once over the per-system
// operations of primitives.h: what is read and how much, when a file is
// replaced and what it keeps, how a copy goes into an open folder.
#include "platform/fs.h"

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/filestream.h"
#include "platform/fsdetail.h"
#include "platform/primitives.h"

namespace tunebelt::platform {

FsError::FsError(std::string path, std::string reason)
    : std::runtime_error(path + ": " + reason),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

void throwErrno(const std::string& path, int err) {
  throw FsError(path, std::strerror(err));
}

std::string windowsReading(std::string_view path) {
  std::string out(path);
#ifndef _WIN32
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
#endif
  return out;
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> readTextLines(std::string_view path) {
  return splitLines(readFile(path));
}

bool sameVersion(const FileStamp& copy, const FileStamp& source) {
  constexpr std::int64_t kTwoSeconds = 2'000'000'000;
  const std::int64_t apart = copy.modified > source.modified ? copy.modified - source.modified
                                                             : source.modified - copy.modified;
  return copy.size == source.size && apart <= kTwoSeconds;
}

bool isTempFileName(std::string_view name) {
  constexpr std::string_view kHead = ".tunebelt-", kTail = ".tmp";
  return name.size() >= kHead.size() + kTail.size() && name.substr(0, kHead.size()) == kHead &&
         name.substr(name.size() - kTail.size()) == kTail;
}

namespace sys {

std::string notRegularReason(Kind kind) {
  switch (kind) {
    case Kind::Folder:
      return std::strerror(EISDIR);
    case Kind::Fifo:
      return "is a FIFO (named pipe), not a regular file";
    case Kind::Device:
      return "is a device, not a regular file";
    case Kind::Socket:
      return "is a socket, not a regular file";
    default:
      return "is not a regular file";
  }
}

void fail(const std::string& shown, Error err) {
  throw FsError(shown, reasonOf(err));
}

}  // namespace sys

namespace {

using sys::Handle;
using sys::Info;
using sys::Kind;

// ---- facts -------------------------------------------------------------------

bool look(std::string_view path, bool follow, Info& info) {
  return path.find('\0') == std::string_view::npos &&
         sys::statPath(std::string(path), follow, info);
}

// ---- reading -------------------------------------------------------------------

std::string tooLarge(std::uint64_t maxBytes) {
  return "is larger than " + std::to_string(maxBytes >> 20) + " MiB; such a file is not read";
}

std::string readOpenFile(sys::Native h, std::uint64_t maxBytes, bool refuseLonger,
                         const std::string& shown, std::uint64_t sizeHint) {
  std::string out;
  if (sizeHint > 0) out.reserve(static_cast<std::size_t>(std::min(sizeHint, maxBytes)));
  char buf[65536];
  for (;;) {
    const std::uint64_t room = maxBytes - out.size();
    // One byte beyond the limit tells a longer file from one that fits.
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buf, room + 1));
    const std::size_t got = sys::readSome(h, buf, want, shown);
    if (got == 0) return out;
    if (got > room) {
      if (refuseLonger) throw FsError(shown, tooLarge(maxBytes));
      out.append(buf, static_cast<std::size_t>(room));
      return out;
    }
    out.append(buf, got);
  }
}

// True when the file at `target` holds exactly `content`. Any doubt (it
// cannot be read, it is longer or shorter, it is no regular file) answers
// false.
bool holdsExactly(const std::string& target, std::string_view content) {
  try {
    Info info;
    Handle h = sys::openRegularForReading(target, target, info);
    char buf[65536];
    std::size_t pos = 0;
    for (;;) {
      const std::size_t got = sys::readSome(h.get(), buf, sizeof buf, target);
      if (got == 0) return pos == content.size();
      if (pos + got > content.size() || content.compare(pos, got, buf, got) != 0) return false;
      pos += got;
    }
  } catch (const FsError&) {
    return false;
  }
}

void writeAll(sys::Native h, const char* data, std::size_t size, const std::string& shown) {
  while (size > 0) {
    const std::size_t n = sys::writeSome(h, data, size, shown);
    data += n;
    size -= n;
  }
}

// ---- writing -------------------------------------------------------------------

// The folder a temporary file for `target` goes in, which must be a folder
// with write permission: a folder without any write bit is read-only for
// everybody, root too, and the program never writes into a folder the player
// has protected.
std::string checkedParent(const std::string& target, const std::string& shown) {
  std::string parent, last;
  if (!sys::splitLast(target, parent, last)) throwErrno(shown, EINVAL);
  Info info;
  if (!sys::statPath(parent, true, info)) sys::fail(parent, sys::lastError());
  if (info.kind != Kind::Folder) throwErrno(parent, ENOTDIR);
  if (!info.writable) throwErrno(parent, EACCES);
  return parent;
}

// What is at a write's target: nothing, a link (only when `follow` is not
// set), or a regular file that may be replaced. A read-only target is refused
// exactly as a direct write would refuse it, and anything but a regular file
// is never replaced.
std::optional<Info> existingTarget(const std::string& target, const std::string& shown,
                                   bool follow = true) {
  Info info;
  if (!sys::statPath(target, follow, info)) {
    const sys::Error err = sys::lastError();
    if (sys::isMissing(err)) return std::nullopt;
    sys::fail(shown, err);
  }
  if (info.kind == Kind::Link) return info;
  if (info.kind != Kind::Regular) throw FsError(shown, sys::notRegularReason(info.kind));
  if (!info.writable) throwErrno(shown, EACCES);
  return info;
}

// Where a write to `target` lands: the target itself, or, for a symbolic
// link, the file it points to, so that the player's link stays a link.
std::string writeTarget(const std::string& target, const std::string& shown) {
  Info info;
  if (!sys::statPath(target, false, info) || info.kind != Kind::Link) return target;
  std::string resolved;
  if (!sys::resolveLink(target, resolved)) {
    const sys::Error err = sys::lastError();
    if (sys::isMissing(err)) throw FsError(shown, "is a link to a file that does not exist");
    sys::fail(shown, err);
  }
  return resolved;
}

// The first bytes of a name, at most `most`, never half a UTF-8 character.
std::string headOf(const std::string& name, std::size_t most) {
  if (name.size() <= most) return name;
  std::size_t cut = most;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut);
}

// A temporary file beside `target` (a name in the open folder `dir`, or a
// path); removed again unless committed.
class TempFile {
 public:
  TempFile(sys::Native dir, const std::string& target, const std::string& shown) : dir_(dir) {
    std::string base, last = target;
    if (dir == sys::kCurrentFolder) {
      sys::splitLast(target, base, last);
      const bool drive = kSep == '\\' && !base.empty() && base.back() == ':';
      if (!base.empty() && !isSep(base.back()) && !drive) base += kSep;
    }
    base += ".tunebelt-" + headOf(last, 40) + "-";
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
      name_ = base + std::to_string(rng() % 1000000000ULL) + ".tmp";
      if (sys::createNew(dir_, name_, file_)) return;
      const sys::Error err = sys::lastError();
      if (!sys::isTaken(err)) {
        name_.clear();
        sys::fail(shown, err);
      }
    }
    name_.clear();
    throwErrno(shown, EEXIST);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (!name_.empty()) sys::dropNew(dir_, file_, name_);
  }
  sys::Native get() const { return file_.get(); }

  // Gives the file what an old one keeps and renames it over the target.
  void commit(const std::string& target, const std::optional<Info>& old, bool synced,
              const std::string& shown) {
    if (old && old->kind == Kind::Regular) sys::keepFrom(file_.get(), *old);
    sys::finishNew(dir_, file_, name_, target, synced, shown);
    name_.clear();
  }

 private:
  sys::Native dir_;
  std::string name_;
  Handle file_;
};

}  // namespace

std::vector<DirEntry> listMatching(std::string_view path) {
  const std::string shown(path);
  const std::string native = detail::withoutTrailingSeps(nativePath(path));
  std::string parent, last;
  if (!sys::splitLast(native, parent, last) || !detail::hasWildcard(last)) {
    std::optional<DirEntry> e = lookupEntry(native);
    if (!e) sys::fail(shown, sys::lastError());
    return {std::move(*e)};
  }
  std::vector<DirEntry> out;
  for (DirEntry& e : sys::matchingEntries(native, parent, last, shown)) {
    if (e.isLink) {
      // A lookup by name follows the link: report what it points to.
      std::optional<DirEntry> target = lookupEntry(joinPath(parent, e.name));
      if (!target) continue;
      e = std::move(*target);
    }
    out.push_back(std::move(e));
  }
  return out;
}

bool pathExists(std::string_view path) {
  Info info;
  return look(path, true, info);
}

bool entryPresent(std::string_view path) {
  Info info;
  return look(path, false, info);
}

bool isDirectory(std::string_view path) {
  Info info;
  return look(path, true, info) && info.kind == Kind::Folder;
}

bool isRegularFile(std::string_view path) {
  Info info;
  return look(path, true, info) && info.kind == Kind::Regular;
}

bool isSymlink(std::string_view path) {
  Info info;
  return look(path, false, info) && info.kind == Kind::Link;
}

std::optional<std::uint64_t> fileSize(std::string_view path) {
  Info info;
  if (!look(path, true, info) || info.kind != Kind::Regular) return std::nullopt;
  return info.stamp.size;
}

std::optional<FileStamp> fileStamp(std::string_view path) {
  Info info;
  if (!look(path, false, info) || info.kind != Kind::Regular) return std::nullopt;
  return info.stamp;
}

FileFacts regularFileFacts(std::string_view path) {
  const std::string shown(path);
  Info info;
  if (!sys::identify(nativePath(path), info)) sys::fail(shown, sys::lastError());
  if (info.kind != Kind::Regular) throw FsError(shown, sys::notRegularReason(info.kind));
  return {info.id, info.stamp};
}

std::optional<FileStamp> fileStampIn(const FolderHandle& folder, std::string_view name) {
  if (name.empty() || name.find_first_of(sys::kNotInName) != std::string_view::npos) {
    return std::nullopt;
  }
  Info info;
  if (!sys::statAt(folder.native(), std::string(name), info) || info.kind != Kind::Regular) {
    return std::nullopt;
  }
  return info.stamp;
}

std::string readFile(std::string_view path, std::uint64_t maxBytes) {
  const std::string shown(path);
  Info info;
  Handle h = sys::openRegularForReading(nativePath(path), shown, info);
  if (info.stamp.size > maxBytes) throw FsError(shown, tooLarge(maxBytes));
  return readOpenFile(h.get(), maxBytes, true, shown, info.stamp.size);
}

std::string readFileHead(std::string_view path, std::uint64_t maxBytes) {
  const std::string shown(path);
  Info info;
  Handle h = sys::openRegularForReading(nativePath(path), shown, info);
  return readOpenFile(h.get(), maxBytes, false, shown, info.stamp.size);
}

bool fileHolds(std::string_view path, std::string_view content) {
  Info info;
  // The kind is looked at first, so a device is never opened.
  if (!look(path, true, info) || info.kind != Kind::Regular) return false;
  if (info.stamp.size != content.size()) return false;
  return holdsExactly(std::string(path), content);
}

void checkOpensForReading(std::string_view path) {
  Info info;
  sys::openRegularForReading(nativePath(path), std::string(path), info);
}

WriteResult writeFileAtomic(std::string_view path, std::string_view content, Durability durability,
                            Links links) {
  const std::string shown(path);
  const std::string native = nativePath(path);
  const std::string target = links == Links::Follow ? writeTarget(native, shown) : native;
  checkedParent(target, shown);
  // A link the new file replaces: what it points to is neither read nor kept.
  const std::optional<Info> old = existingTarget(target, shown, links == Links::Follow);
  // A file that holds these bytes already stays as it is: saving an unchanged
  // playlist again then replaces no file (on ext4 each replacement costs a
  // new inode and a flush of its data). The checks above still refuse a
  // read-only file or folder, exactly as a write would.
  if (old && old->kind == Kind::Regular && old->stamp.size == content.size() &&
      holdsExactly(target, content)) {
    return WriteResult::Unchanged;
  }
  TempFile tmp(sys::kCurrentFolder, target, shown);
  writeAll(tmp.get(), content.data(), content.size(), shown);
  tmp.commit(target, old, durability == Durability::Synced, shown);
  return old ? WriteResult::Replaced : WriteResult::Created;
}

void copyFileAtomic(std::string_view source, std::string_view target) {
  const std::string from(source), to(target);
  Info info;
  Handle in = sys::openRegularForReading(nativePath(source), from, info);
  const std::string dst = nativePath(target);
  checkedParent(dst, to);
  const std::optional<Info> old = existingTarget(dst, to);
  TempFile tmp(sys::kCurrentFolder, dst, to);
  sys::copyContent(in.get(), tmp.get(), from, to);
  tmp.commit(dst, old, false, to);
}

// ---- the open folder ---------------------------------------------------------------

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : path_(std::move(other.path_)), id_(other.id_), native_(other.native_) {
  other.native_ = sys::kNone;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
  if (this != &other) {
    if (native_ != sys::kNone) sys::closeNative(native_);
    path_ = std::move(other.path_);
    id_ = other.id_;
    native_ = other.native_;
    other.native_ = sys::kNone;
  }
  return *this;
}

FolderHandle::~FolderHandle() {
  if (native_ != sys::kNone) sys::closeNative(native_);
}

bool FolderHandle::stillInPlace() const {
  Info info;
  return path_.find('\0') == std::string::npos && sys::identify(path_, info) &&
         info.kind == Kind::Folder && info.id == id_;
}

CopyResult copyIntoFolder(std::string_view source, const FolderHandle& folder,
                          std::string_view name, const FileStamp* known) {
  const std::string from(source);
  const std::string shown = joinPath(folder.path(), name);
  const std::string leaf = nativePath(name);
  if (leaf.empty() || leaf == "." || leaf == ".." ||
      leaf.find_first_of(sys::kNotInName) != std::string::npos) {
    throwErrno(shown, EINVAL);
  }
  const sys::Native dir = folder.native();
  Info old;
  bool present = sys::statAt(dir, leaf, old);
  if (!present && !sys::isMissing(sys::lastError())) sys::fail(shown, sys::lastError());
  const bool oldFile = present && old.kind == Kind::Regular;
  if (oldFile) {
    FileStamp now;
    if (known == nullptr) {
      Info src;
      if (!sys::statPath(nativePath(source), true, src)) sys::fail(from, sys::lastError());
      if (src.kind != Kind::Regular) throw FsError(from, sys::notRegularReason(src.kind));
      now = src.stamp;
    }
    if (sameVersion(old.stamp, known != nullptr ? *known : now)) return CopyResult::AlreadyThere;
  }
  // A folder is never replaced; a link or anything else but a file is.
  if (present && old.kind == Kind::Folder) throw FsError(shown, std::strerror(EISDIR));
  if (oldFile && !old.writable) throwErrno(shown, EACCES);
  Info here;
  if (!sys::infoOf(dir, here)) sys::fail(folder.path(), sys::lastError());
  if (!here.writable) throwErrno(folder.path(), EACCES);

  Info src;
  Handle in = sys::openRegularForReading(nativePath(source), from, src);
  // The copy keeps the source's modification time: the next save tells by
  // it that the copy is still of this version.
  if (!present) {
    Handle unnamed = sys::openUnnamed(dir, shown);
    if (unnamed) {
      sys::copyContent(in.get(), unnamed.get(), from, shown);
      sys::setModified(unnamed.get(), src.stamp, shown);
      if (sys::linkUnnamed(dir, unnamed.get(), leaf, shown)) return CopyResult::Copied;
      // Something took the name meanwhile: it is replaced like an old copy.
      sys::rewind(in.get(), from);
      present = true;
    }
  }
  TempFile tmp(dir, leaf, shown);
  sys::copyContent(in.get(), tmp.get(), from, shown);
  sys::setModified(tmp.get(), src.stamp, shown);
  tmp.commit(leaf, oldFile ? std::optional<Info>(old) : std::nullopt, false, shown);
  return present ? CopyResult::Replaced : CopyResult::Copied;
}

// ---- filestream.h ---------------------------------------------------------------

InputFile::InputFile(std::string_view path) : path_(path) {
  Info info;
  native_ = sys::openRegularForReading(nativePath(path), path_, info).release();
  stamp_ = info.stamp;
}

InputFile::~InputFile() {
  if (native_ != sys::kNone) sys::closeNative(native_);
}

std::size_t InputFile::readAt(std::uint64_t offset, void* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t n =
        sys::readAt(native_, offset + done, static_cast<char*>(data) + done, size - done, path_);
    if (n == 0) break;
    done += n;
  }
  position_ = offset + done;
  return done;
}

struct PendingFile::Impl {
  Impl(const std::string& shown, std::string nativeTarget)
      : target(std::move(nativeTarget)), tmp(sys::kCurrentFolder, target, shown) {}
  std::string target;
  TempFile tmp;
};

namespace {

// Where a new version of `path` goes, checked as writeFileAtomic checks it.
std::string pendingTarget(std::string_view path) {
  const std::string shown(path);
  std::string target = writeTarget(nativePath(path), shown);
  checkedParent(target, shown);
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
  std::uint64_t at = offset;
  for (std::size_t left = size; left > 0;) {
    const std::size_t n = sys::writeAt(impl_->tmp.get(), at, p, left, target_);
    p += n;
    at += n;
    left -= n;
  }
  size_ = std::max(size_, at);
}

void PendingFile::commit() {
  impl_->tmp.commit(impl_->target, existingTarget(impl_->target, target_), false, target_);
}

}  // namespace tunebelt::platform
