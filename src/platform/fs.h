// The file-system layer: everything the core does to files and folders goes
// through here, so the rest of the code never sees an operating-system call.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tunebelt::platform {

// The separator the program uses when it builds a path.
#ifdef _WIN32
inline constexpr char kSep = '\\';
#else
inline constexpr char kSep = '/';
#endif

// Joins a folder and a name with the program's separator, by plain
// concatenation: nothing is normalised.
inline std::string joinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  out += kSep;
  out += name;
  return out;
}

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

// The path in the form the operating system takes. On POSIX a "\" is read as
// "/", so paths written on Windows still resolve. A path holding a NUL byte
// names nothing: FsError.
std::string nativePath(std::string_view path);

// True when a character separates path components ("\" or "/").
inline bool isSep(char c) { return c == '\\' || c == '/'; }

struct DirEntry {
  std::string name;
  bool isDir = false;      // a real folder (a link to a folder is not one)
  bool isLink = false;     // a symbolic link, whatever it points to
  bool isHidden = false;   // the name begins with "."
  bool isReadOnly = false; // no write permission bit set
  std::uint64_t size = 0;  // length of a regular file, 0 otherwise
};

// Lists a folder's entries, "." and ".." left out, links not followed.
// Throws FsError when the folder cannot be listed.
std::vector<DirEntry> listDir(std::string_view dir);

// Entries matching a path whose last component may hold "*" and "?":
// with wildcards, every entry of the parent folder that matches; without,
// the one entry itself (links followed, as a lookup of that name would).
// Throws FsError on every failure, including an empty result's absence of
// a parent folder.
std::vector<DirEntry> listMatching(std::string_view path);

// Facts about one path; links are followed unless said otherwise.
bool pathExists(std::string_view path);
bool isDirectory(std::string_view path);
bool isSymlink(std::string_view path);
std::uint64_t fileSize(std::string_view path);

// Whole-file reading and the text-line rule: a line ends at CR, CR LF or a
// lone LF; a final line without an ending still counts. Throw FsError.
std::string readFile(std::string_view path);
std::vector<std::string> splitLines(std::string_view text);
std::vector<std::string> readTextLines(std::string_view path);

// Writes a file completely to a temporary file in the same folder and renames
// it over the target, so the target is always either the old or the new
// file. The new file keeps an old file's permission bits; an old file that is
// read-only, or a folder that is, is reported as not writable. A target that
// holds exactly `content` already is left untouched. Throws FsError.
void writeFileAtomic(std::string_view path, std::string_view content);

// Copies a file the same way: to a temporary name beside the target, renamed
// into place only once complete. Throws FsError naming the file that failed.
void copyFileAtomic(std::string_view source, std::string_view target);

// True for the name of a temporary file that writeFileAtomic or
// copyFileAtomic makes beside its target (".tunebelt-*.tmp").
bool isTempFileName(std::string_view name);

// Removes the temporary files a killed earlier run left in a folder (regular
// files only, never a link or a folder). Best effort: never throws.
void removeLeftoverTempFiles(std::string_view dir);

void makeDir(std::string_view path);     // one level; throws FsError
void removeFile(std::string_view path);  // a file or a link; throws FsError
void removeDir(std::string_view path);   // an empty folder; throws FsError

}  // namespace tunebelt::platform
