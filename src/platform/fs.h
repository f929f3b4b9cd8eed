// The file-system layer: everything the core does to files and folders goes
// through here, so the rest of the code never sees an operating-system call.
//
// Names are taken as they are. On POSIX only "/" separates components: a "\"
// is an ordinary character of a name (Linux allows it, and archives made on
// Windows produce such names), so a path the player gives and every name
// listed from the disk mean exactly what they say. Only entries read from
// playlist files are also tried in their Windows reading (windowsReading).
// On Windows both "\" and "/" separate, as the system reads them, and names
// travel as UTF-8 inside the program and as UTF-16 to the system.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tunebelt::platform {

// The separator the program uses when it builds a path, and the characters
// that separate components of a path the program is given.
#ifdef _WIN32
inline constexpr char kSep = '\\';
inline bool isSep(char c) {
  return c == '\\' || c == '/';
}
#else
inline constexpr char kSep = '/';
inline bool isSep(char c) {
  return c == '/';
}
#endif

// Joins a folder and a name with the program's separator, by plain
// concatenation: nothing is normalised.
inline std::string joinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  out += kSep;
  out += name;
  return out;
}

// A path as Windows would read it: every "\" a separator. Playlists written
// on Windows name their entries so ("..\Pop\x.mp3"); on POSIX this gives the
// "/" form, on Windows the path itself.
std::string windowsReading(std::string_view path);

// The process's current folder; empty when it cannot be told.
std::string currentFolder();

// Whether the path is a full path rather than one relative to the current
// folder (and, on Windows, drive).
bool isAbsolutePath(std::string_view path);

// The path as a full path: an absolute one as it stands, a relative one
// joined to the current folder (as a file dialog would hand it over).
std::string absolutePath(std::string_view path);

// The path with every link, "." and ".." resolved, as an absolute path: one
// folder reached through different links gives one text. Throws FsError when
// the path, or a folder on the way, does not exist or cannot be read.
std::string realPath(std::string_view path);

// A file-system failure the user must hear about: which file, and the
// system's reason.
class FsError : public std::runtime_error {
 public:
  FsError(std::string path, std::string reason);
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

// Builds an FsError from errno.
[[noreturn]] void throwErrno(const std::string& path, int err);

// The path in the form the operating system takes: the text itself. A path
// holding a NUL byte names nothing: FsError.
std::string nativePath(std::string_view path);

struct DirEntry {
  std::string name;
  bool isDir = false;      // a real folder (a link to a folder is not one)
  bool isLink = false;     // a symbolic link (Windows: a junction too), whatever it points to
  bool isHidden = false;   // POSIX: the name begins with "."; Windows: the attribute
  bool isSystem = false;   // the system attribute (Windows only)
  std::uint64_t size = 0;  // length of a regular file, 0 otherwise
};

// Lists a folder's entries, "." and ".." left out, links not followed. An
// entry that vanishes while the folder is read is left out. Throws FsError
// when the folder cannot be listed.
std::vector<DirEntry> listDir(std::string_view dir);

// Entries matching a path whose last component may hold "*" and "?":
// with wildcards, every entry of the parent folder that matches; without,
// the one entry itself (links followed, as a lookup of that name would).
// Trailing separators are ignored ("a/b//" is the entry "b"). Throws FsError
// on every failure, including an empty result's absence of a parent folder.
std::vector<DirEntry> listMatching(std::string_view path);

// The one entry a path names, links followed, looked up by that name alone:
// "*" and "?" are characters of the name, never a pattern. Trailing
// separators are ignored. Nothing when there is no such entry or it cannot
// be looked up (errno, or on Windows the last error, says why).
std::optional<DirEntry> lookupEntry(std::string_view path);

// Facts about one path; links are followed unless said otherwise.
bool pathExists(std::string_view path);
bool entryPresent(std::string_view path);  // anything at all, a dangling link too
bool isDirectory(std::string_view path);
bool isRegularFile(std::string_view path);
bool isSymlink(std::string_view path);
// The length of the regular file at `path`, links followed; nothing for
// anything else.
std::optional<std::uint64_t> fileSize(std::string_view path);

// The most a text file (playlist, key-binding list, config) is read into
// memory; a longer one is refused with a message naming it.
inline constexpr std::uint64_t kMaxTextFileBytes = 16u << 20;

// Whole-file reading. Only regular files are read (a FIFO, device, socket or
// folder is refused at once, never waited on), and never more than
// `maxBytes`: a longer file is refused. Throws FsError.
std::string readFile(std::string_view path, std::uint64_t maxBytes = kMaxTextFileBytes);
// The first `maxBytes` of a regular file, for files of a fixed size whose
// tail is of no use. Throws FsError.
std::string readFileHead(std::string_view path, std::uint64_t maxBytes);

// Whether the regular file at `path` holds exactly `content`, links
// followed. False for a missing file, one that is no regular file, and one
// that cannot be read: nothing is ever waited on.
bool fileHolds(std::string_view path, std::string_view content);

// The text-line rule: a line ends at CR, CR LF or a lone LF; a final line
// without an ending still counts.
std::vector<std::string> splitLines(std::string_view text);
std::vector<std::string> readTextLines(std::string_view path);

// Whether a write waits until the bytes are on the disk before the rename
// and until the rename is on the disk after it.
enum class Durability { Normal, Synced };

// What a write does with a symbolic link at its target: Follow writes the
// file it points to, so a player's link stays a link; Replace puts the new
// file in the link's place and leaves what it pointed to alone.
enum class Links { Follow, Replace };

// What a write found at its target.
enum class WriteResult { Created, Replaced, Unchanged };

// Writes a file completely to a temporary file in the same folder and renames
// it over the target, so the target is always either the old or the new
// file. The new file keeps an old file's permission bits; an old file that is
// read-only, or a folder that is, is reported as not writable; an old entry
// that is not a regular file is not replaced. A target that is a symbolic
// link is handled as `links` says. A target that holds exactly `content`
// already is left untouched. Throws FsError.
WriteResult writeFileAtomic(std::string_view path, std::string_view content,
                            Durability durability = Durability::Normal,
                            Links links = Links::Follow);

// Copies a regular file the same way: to a temporary name beside the target,
// renamed over it only once complete. Throws FsError naming the file that
// failed.
void copyFileAtomic(std::string_view source, std::string_view target);

// Which file a path names: the same two values for every path that reaches
// it (device and inode; on Windows volume and file index).
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool operator==(const FileId&) const = default;
  bool operator<(const FileId& other) const {
    return device != other.device ? device < other.device : index < other.index;
  }
};

// What tells one version of a file from another without reading it: its
// length and its last modification (nanoseconds since 1970).
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  bool operator==(const FileStamp&) const = default;
};

// Whether a copy that took its source's modification time is a copy of the
// source as it is now: the same length and a time within two seconds (some
// file systems keep the time in steps of up to two seconds).
bool sameVersion(const FileStamp& copy, const FileStamp& source);

// The stamp of the regular file at `path` itself (a link is not followed);
// nothing for anything else or nothing at all.
std::optional<FileStamp> fileStamp(std::string_view path);

struct FileFacts {
  FileId id;
  FileStamp stamp;
};

// What the regular file at `path` is (links followed), without opening it;
// FsError naming it and why when there is none there, or something else (a
// folder, a FIFO, a device).
FileFacts regularFileFacts(std::string_view path);

// regularFileFacts for many paths, in order: each one's facts, or the reason
// there are none. Paths in the folder of the path before them are looked at
// relative to that folder, opened once, which saves walking its path again.
struct FileLook {
  std::optional<FileFacts> facts;
  std::string reason;  // when there are no facts
};
std::vector<FileLook> regularFilesFacts(const std::vector<std::string>& paths);

// Opens the regular file at `path` for reading and closes it again, as a
// copy would open it; FsError naming it and why it cannot be read. Only a
// regular file is opened: anything else is refused without waiting on it.
void checkOpensForReading(std::string_view path);

// A folder held open: what copyIntoFolder makes goes into this very folder,
// even when its path is swapped for another folder or a link meanwhile.
class FolderHandle {
 public:
  FolderHandle() = default;
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  FolderHandle(FolderHandle&& other) noexcept;
  FolderHandle& operator=(FolderHandle&& other) noexcept;
  ~FolderHandle();

  // Opens the folder at `path`; a symbolic link in its place is followed
  // only when `followLink` is set. Throws FsError.
  static FolderHandle open(std::string_view path, bool followLink);

  const std::string& path() const { return path_; }
  FileId id() const { return id_; }
  // Whether `path()` still names this folder.
  bool stillInPlace() const;

#ifdef _WIN32
  void* native() const {
    return native_;
  }
#else
  int native() const {
    return native_;
  }
#endif

 private:
  std::string path_;
  FileId id_;
#ifdef _WIN32
  void* native_ = nullptr;
#else
  int native_ = -1;
#endif
};

// The stamp of the regular file `name` in the open folder (a link is not
// followed); nothing for anything else or nothing at all.
std::optional<FileStamp> fileStampIn(const FolderHandle& folder, std::string_view name);

enum class CopyResult {
  Copied,       // there was no copy
  Replaced,     // the copy there was of another version, or no regular file
  AlreadyThere  // a copy of this version is there (sameVersion)
};

// Copies the regular file `source` into the open folder as `name`, unless a
// regular file of that name holds this version of it already (`known`: the
// source's stamp when the caller has just looked, so it is not asked again;
// what is copied is the file as it is then). The copy takes
// the source's modification time and is made complete under a temporary
// name before it takes `name`, replacing what was there atomically; a
// read-only old copy or folder is refused as a direct write would be, and a
// folder of that name is never replaced. Throws FsError naming the file.
CopyResult copyIntoFolder(std::string_view source, const FolderHandle& folder,
                          std::string_view name, const FileStamp* known = nullptr);

// True for the name of a temporary file that writeFileAtomic or the copies
// make beside their target (".tunebelt-*.tmp").
bool isTempFileName(std::string_view name);

void makeDir(std::string_view path);     // one level; throws FsError
void removeFile(std::string_view path);  // a file or a link; throws FsError
void removeDir(std::string_view path);   // an empty folder; throws FsError

}  // namespace tunebelt::platform
