// The per-system operations the file-system layer is built on. fs.cpp and
// tree.cpp hold every rule (what is read, what is replaced, what a walk
// counts, enters or deletes) once, written over these; fs_posix.cpp and
// tree_posix.cpp, fs_win.cpp and tree_win.cpp implement them with each
// system's calls and decide nothing. Nothing outside src/platform includes
// this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"

namespace tunebelt::platform::sys {

// An open file or folder as the system names it, and a folder handle that
// stands for "relative to the current folder": with it, a name is a path.
#ifdef _WIN32
using Native = void*;
inline const Native kNone = nullptr;
inline const Native kCurrentFolder = nullptr;
// A name as the relative calls take it.
using Name = std::wstring;
// What a name inside a folder may not hold.
inline constexpr std::string_view kNotInName{"\\/:\0", 4};
#else
using Native = int;
inline constexpr Native kNone = -1;
inline constexpr Native kCurrentFolder = -100;  // AT_FDCWD
using Name = std::string;
inline constexpr std::string_view kNotInName{"/\0", 2};
#endif

void closeNative(Native h);

// Owns an open file or folder and closes it.
class Handle {
 public:
  Handle() = default;
  explicit Handle(Native h) : h_(h) {
#ifdef _WIN32
    if (h == reinterpret_cast<Native>(static_cast<std::intptr_t>(-1))) h_ = kNone;
#endif
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle(Handle&& o) noexcept : h_(o.h_) {
    o.h_ = kNone;
  }
  Handle& operator=(Handle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = o.h_;
      o.h_ = kNone;
    }
    return *this;
  }
  ~Handle() {
    reset();
  }
  void reset() {
    if (h_ != kNone) closeNative(h_);
    h_ = kNone;
  }
  Native get() const {
    return h_;
  }
  // Gives the handle up without closing it.
  Native release() {
    Native h = h_;
    h_ = kNone;
    return h;
  }
  explicit operator bool() const {
    return h_ != kNone;
  }

 private:
  Native h_ = kNone;
};

// ---- errors ------------------------------------------------------------------

// A failed call's code: errno on POSIX, the last error on Windows. Calls
// that answer false leave it to be read with lastError().
using Error = long;
Error lastError();
std::string reasonOf(Error err);
[[noreturn]] void fail(const std::string& shown, Error err);
// Nothing of that name (any more).
bool isMissing(Error err);
// The name is taken already.
bool isTaken(Error err);
// An open of a folder met a link or something else in its place.
bool isNoFolder(Error err);
// The process holds all the handles it may.
bool isOutOfHandles(Error err);

// ---- facts -------------------------------------------------------------------

enum class Kind { Regular, Folder, Link, Fifo, Device, Socket, Other };

// Why an entry of this kind is not read or replaced as a file.
std::string notRegularReason(Kind kind);

struct Info {
  Kind kind = Kind::Other;
  FileStamp stamp;  // the length is a regular file's only
  FileId id;        // filled by identify and infoOf
  // Whether entries may be written: POSIX, a write bit is set; Windows, a
  // file is not read-only (a folder always is).
  bool writable = true;
  // What a new version of a file keeps from the old one: the permission
  // bits on POSIX, the hidden, system and archive attributes on Windows.
  std::uint32_t keep = 0;
  bool mountLink = false;  // a link that mounts another volume (Windows)
};

// The entry at a path; `follow` follows a link to what it points to. False
// (lastError) when there is none or it cannot be looked at.
bool statPath(const std::string& native, bool follow, Info& out);
// The same with the file's identity, links followed.
bool identify(const std::string& native, Info& out);
// The entry `name` in the open folder `dir`, a link not followed.
bool statAt(Native dir, const std::string& name, Info& out);
// The open file or folder, with its identity.
bool infoOf(Native h, Info& out);
// The file a link points to, as a full path. False when it cannot be told.
bool resolveLink(const std::string& native, std::string& out);

// ---- reading and writing -------------------------------------------------------

// Opens the regular file at `native` for reading; anything else is refused
// without ever being waited on. Fills `out` (with the length). Throws
// FsError naming `shown`.
Handle openRegularForReading(const std::string& native, const std::string& shown, Info& out);
// Reads up to `size` bytes at the file's position, or at `offset`; 0 at the
// end. Throw FsError naming `shown`.
std::size_t readSome(Native h, char* data, std::size_t size, const std::string& shown);
std::size_t readAt(Native h, std::uint64_t offset, char* data, std::size_t size,
                   const std::string& shown);
// Writes some of `size` bytes at the file's position, or at `offset`;
// returns how many. Throw FsError naming `shown`.
std::size_t writeSome(Native h, const char* data, std::size_t size, const std::string& shown);
std::size_t writeAt(Native h, std::uint64_t offset, const char* data, std::size_t size,
                    const std::string& shown);
// Copies everything from `in`, at its position, to `out`.
void copyContent(Native in, Native out, const std::string& source, const std::string& target);
// Moves the reading position back to the file's start.
void rewind(Native h, const std::string& shown);
// Sets a file's modification time.
void setModified(Native h, const FileStamp& stamp, const std::string& shown);
// Gives a new file what `old` keeps (Info::keep).
void keepFrom(Native h, const Info& old);

// ---- new files -------------------------------------------------------------------

// Makes the file `name` (a path for kCurrentFolder) for writing; false
// (lastError) when it cannot, isTaken when the name exists. On Windows the
// file goes away when its handle closes until finishNew names it.
bool createNew(Native dir, const std::string& name, Handle& out);
// Waits until the bytes are on the disk when `synced`, and renames the new
// file `name` over `target`, replacing what is there; for `synced`, the
// rename is on the disk on return. The handle is closed. Throws FsError.
void finishNew(Native dir, Handle& file, const std::string& name, const std::string& target,
               bool synced, const std::string& shown);
// Closes and removes an unfinished new file.
void dropNew(Native dir, Handle& file, const std::string& name);
// A file without a name in the folder, or none where the system cannot
// make one (the caller then uses a temporary name). Throws FsError.
Handle openUnnamed(Native dir, const std::string& shown);
// Gives an unnamed file the name `name`, never replacing: false when the
// name is taken. Throws FsError.
bool linkUnnamed(Native dir, Native file, const std::string& name, const std::string& shown);

// The entries of the folder `parent` whose names match the pattern `last`
// ("*" and "?"), links not followed; `pattern` is the whole path.
std::vector<DirEntry> matchingEntries(const std::string& pattern, const std::string& parent,
                                      const std::string& last, const std::string& shown);

// ---- walks -----------------------------------------------------------------------

// One entry of a listed folder. Where the listing tells that it is a
// regular file, `known` is set and `size` holds its length.
struct Listed {
  Name name;
  bool known = false;
  std::uint64_t size = 0;
};
std::string shownName(const Name& name);
Name toName(const std::string& name);

// Lists an open folder, "." and ".." left out. False (lastError) when the
// listing failed; what was read is kept.
bool listFolder(Native dir, std::vector<Listed>& out);

// What a walk does with an entry.
enum class Use {
  Measure,     // its size; folders are entered
  Remove,      // it goes; folders are emptied first
  RemoveTemp,  // a temporary file that goes, unless a save holds it open
};

// An entry a walk looked at. `h` is open for a folder opened by
// openFolderAt, and on Windows for everything looked at to be removed.
struct Entry {
  Handle h;
  Info info;
};
// Looks at `e` in the open folder `dir`, a link not followed. False
// (lastError) when it cannot.
bool lookAt(Native dir, const Listed& e, Use use, Entry& out);
// Opens the folder `e` looked at for `use`, never through a link; false
// (lastError; isNoFolder when it was swapped for something else).
bool openFolderAt(Native dir, const Name& name, Use use, Entry& e);
// Opens a folder by path: a link in its place is followed only for `follow`.
bool openFolderByPath(const std::string& path, bool follow, Use use, Handle& out);
// Opens the folder above the open folder `child`.
bool openParentOf(Native child, Handle& out);
// How many folders a walk holds open at most.
std::size_t heldLevels();
// Removes the entry `name` of `dir` that `e` looked at (a folder only when
// empty); false (lastError) when refused.
bool removeAt(Native dir, const Name& name, Entry& e, bool folder);

// Which mount a folder belongs to. The device tells file systems apart; the
// mount id, where there is one, tells a bind mount from its folder too.
struct Mount {
  std::uint64_t device = 0;
  std::uint64_t id = 0;
  bool hasId = false;
  bool operator==(const Mount& o) const {
    return device == o.device && (!hasId || !o.hasId || id == o.id);
  }
};
Mount mountOf(Native h);

// A path's folder and last component; trailing separators are ignored.
// False for a path without a last component (a root).
bool splitLast(std::string_view path, std::string& parent, std::string& last);

}  // namespace tunebelt::platform::sys
