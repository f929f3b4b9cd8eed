// Helpers shared by the tests: a temporary folder that removes itself,
// environment variables set for one test, whole-file reads and writes, and
// the few file facts the tests set or read, on POSIX and on Windows alike.
// Paths are UTF-8 strings, as inside the program.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tunebelt::test {

// A UTF-8 path as std::filesystem takes it, and back. A plain std::string
// would be read in the ANSI code page on Windows.
inline std::filesystem::path fsPath(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string utf8(const std::filesystem::path& p) {
  std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// True when the tests run under Wine, whose file system differs from
// Windows in a few places the tests name when they skip.
inline bool underWine() {
#ifdef _WIN32
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

// Makes a file read-only, or writable again: the write permission bits on
// POSIX, the read-only attribute on Windows.
inline bool setReadOnly(const std::string& path, bool readOnly) {
  std::error_code ec;
  using std::filesystem::perms;
  std::filesystem::permissions(
      fsPath(path),
      readOnly ? perms::owner_read | perms::group_read | perms::others_read
               : perms::owner_read | perms::owner_write | perms::group_read | perms::others_read,
      ec);
  return !ec;
}

#ifdef _WIN32
// Sets a file's or folder's attributes (FILE_ATTRIBUTE_HIDDEN and the like).
inline bool setAttributes(const std::string& path, DWORD attributes) {
  std::wstring w = fsPath(path).wstring();
  return ::SetFileAttributesW(w.c_str(), attributes) != 0;
}
inline DWORD attributesOf(const std::string& path) {
  std::wstring w = fsPath(path).wstring();
  return ::GetFileAttributesW(w.c_str());
}
#endif

// The path with the separator the program uses: "/" becomes "\\" on Windows.
inline std::string native(std::string path) {
#ifdef _WIN32
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
#endif
  return path;
}

// Which file a path names now: a rewrite by rename gives another identity.
inline std::uint64_t fileIdentity(const std::string& path) {
#ifdef _WIN32
  std::wstring w = fsPath(path).wstring();
  HANDLE h = ::CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  bool ok = ::GetFileInformationByHandle(h, &info) != 0;
  ::CloseHandle(h);
  return ok ? (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
#else
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_ino) : 0;
#endif
}

// Makes `link` a link to the folder `target`: a symbolic link on POSIX, a
// junction on Windows (which needs no privilege). Empty on success, else why
// not, for the test to skip with.
inline std::string linkFolder(const std::string& target, const std::string& link) {
#ifdef _WIN32
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(fsPath(target), ec);
  std::wstring substitute = L"\\??\\" + full.wstring();
  std::wstring print = full.wstring();
  std::wstring linkW = fsPath(link).wstring();
  if (!::CreateDirectoryW(linkW.c_str(), nullptr)) return "cannot create " + link;
  HANDLE h = ::CreateFileW(linkW.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "cannot open " + link;
  // The mount-point reparse data: tag, lengths, then both names, each with
  // its NUL.
  std::vector<unsigned char> data(16 + (substitute.size() + print.size() + 2) * sizeof(wchar_t));
  auto put16 = [&](std::size_t at, std::size_t v) {
    data[at] = static_cast<unsigned char>(v & 0xFF);
    data[at + 1] = static_cast<unsigned char>(v >> 8);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(data.data(), &tag, sizeof tag);
  put16(4, data.size() - 8);
  put16(8, 0);
  put16(10, substitute.size() * sizeof(wchar_t));
  put16(12, (substitute.size() + 1) * sizeof(wchar_t));
  put16(14, print.size() * sizeof(wchar_t));
  std::memcpy(data.data() + 16, substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
  std::memcpy(data.data() + 16 + (substitute.size() + 1) * sizeof(wchar_t), print.c_str(),
              (print.size() + 1) * sizeof(wchar_t));
  DWORD got = 0;
  BOOL ok = ::DeviceIoControl(h, 0x000900A4 /* FSCTL_SET_REPARSE_POINT */, data.data(),
                              static_cast<DWORD>(data.size()), nullptr, 0, &got, nullptr);
  DWORD err = ::GetLastError();
  ::CloseHandle(h);
  if (ok) return {};
  ::RemoveDirectoryW(linkW.c_str());
  return "this system cannot make junctions (error " + std::to_string(err) +
         (underWine() ? "; Wine does not support reparse points" : "") + ")";
#else
  std::error_code ec;
  std::filesystem::create_directory_symlink(fsPath(target), fsPath(link), ec);
  return ec ? ec.message() : std::string();
#endif
}

#ifndef _WIN32
// A chain of `depth` folders named `name`, one inside the other, below the
// folder `base`, made by handle (the whole path may be far longer than any
// system call takes), with a file "t.mp3" of one byte in the deepest folder,
// or in each of them. False when the system refused a step.
inline bool makeFolderChain(const std::string& base, int depth, const std::string& name,
                            bool fileInEach = false) {
  int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  bool ok = fd >= 0;
  for (int level = 0; ok && level <= depth; ++level) {
    if (fileInEach || level == depth) {
      int file = ::openat(fd, "t.mp3", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      ok = file >= 0 && ::write(file, "t", 1) == 1;
      if (file >= 0) ::close(file);
    }
    if (!ok || level == depth) break;
    int sub = ::mkdirat(fd, name.c_str(), 0755) == 0
                  ? ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                  : -1;
    ::close(fd);
    fd = sub;
    ok = fd >= 0;
  }
  if (fd >= 0) ::close(fd);
  return ok;
}

// Runs a part of a test with fewer open files allowed: exactly `extra`
// more than are open now. Whatever runs meanwhile, in the process or
// started from it, meets that limit.
class FewOpenFiles {
 public:
  explicit FewOpenFiles(rlim_t extra) {
    ::getrlimit(RLIMIT_NOFILE, &old_);
    int highest = 2;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
      highest = std::max(highest, std::stoi(e.path().filename().string()));
    }
    // The limit bounds the numbers of descriptors, not their count: free
    // numbers below the highest (the listing's own, now closed, among them)
    // are taken, so that exactly `extra` are left.
    for (int fd = 0; fd <= highest; ++fd) {
      if (::fcntl(fd, F_GETFD) < 0) fillers_.push_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    }
    rlimit lower = old_;
    lower.rlim_cur = static_cast<rlim_t>(highest) + 1 + extra;
    ::setrlimit(RLIMIT_NOFILE, &lower);
  }
  FewOpenFiles(const FewOpenFiles&) = delete;
  FewOpenFiles& operator=(const FewOpenFiles&) = delete;
  ~FewOpenFiles() {
    ::setrlimit(RLIMIT_NOFILE, &old_);
    for (int fd : fillers_) ::close(fd);
  }

 private:
  rlimit old_{};
  std::vector<int> fillers_;
};
#endif

#ifdef _WIN32
// Sets a string value under HKEY_CURRENT_USER for one test and puts the old
// one back (or removes it) afterwards.
class RegistryValueGuard {
 public:
  RegistryValueGuard(const wchar_t* key, const wchar_t* name, const std::wstring& value)
      : key_(key), name_(name) {
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) ==
        ERROR_SUCCESS) {
      std::wstring old(bytes / sizeof(wchar_t), L'\0');
      if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, old.data(),
                         &bytes) == ERROR_SUCCESS) {
        old.resize(::wcsnlen(old.c_str(), old.size()));
        old_ = old;
      }
    }
    set(value);
  }
  RegistryValueGuard(const RegistryValueGuard&) = delete;
  RegistryValueGuard& operator=(const RegistryValueGuard&) = delete;
  ~RegistryValueGuard() {
    if (old_) {
      set(*old_);
    } else {
      ::RegDeleteKeyValueW(HKEY_CURRENT_USER, key_, name_);
    }
  }

 private:
  void set(const std::wstring& value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key_, name_, REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  const wchar_t* key_;
  const wchar_t* name_;
  std::optional<std::wstring> old_;
};

#endif

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("tunebelt-test-" + std::to_string(rd()));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    // Give write permission back first, so read-only test folders go too.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_symlink()) continue;
#ifdef _WIN32
      ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
#else
      ::chmod(it->path().c_str(), 0755);
#endif
    }
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const {
    return path_;
  }
  std::string str() const {
    return utf8(path_);
  }
  // A path inside the folder, as a string.
  // On Windows with "\\" throughout, as the program builds its paths there.
  std::string operator/(std::string_view rel) const {
    return utf8((path_ / fsPath(rel)).make_preferred());
  }

 private:
  std::filesystem::path path_;
};

// Sets environment variables for one test and puts the old values back.
class EnvGuard {
 public:
  ~EnvGuard() {
    for (const auto& [name, old] : saved_) {
      if (old)
        put(name, *old);
      else
        remove(name);
    }
  }
  void set(const std::string& name, const std::string& value) {
    save(name);
    put(name, value);
  }
  void unset(const std::string& name) {
    save(name);
    remove(name);
  }

 private:
#ifdef _WIN32
  // The C runtime keeps the narrow and the wide environment in step.
  static void put(const std::string& name, const std::string& value) {
    ::_putenv_s(name.c_str(), value.c_str());
  }
  static void remove(const std::string& name) {
    ::_putenv_s(name.c_str(), "");
  }
#else
  static void put(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  static void remove(const std::string& name) {
    ::unsetenv(name.c_str());
  }
#endif
  void save(const std::string& name) {
    if (saved_.count(name)) return;
    const char* v = std::getenv(name.c_str());
    saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

inline void writeFile(const std::string& path, std::string_view content) {
  std::filesystem::create_directories(fsPath(path).parent_path());
  std::ofstream f(fsPath(path), std::ios::binary | std::ios::trunc);
  f.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// Bytes the program takes as an MP3 the game can play: four frames of
// MPEG-1 Layer III (32 kb/s, 44.1 kHz, silent), then `text`. Different
// texts give different files.
inline std::string playableMp3(std::string_view text) {
  std::string frame(104, '\0');
  frame[0] = '\xFF';
  frame[1] = '\xFB';
  frame[2] = '\x10';
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += frame;
  return bytes + std::string(text);
}

inline std::string readFile(const std::string& path) {
  std::ifstream f(fsPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// Everything below a folder, by path relative to it: a regular file's bytes,
// "-> target" for a link (never followed), "<folder>" for a folder. Two
// equal results are two equal trees.
inline std::map<std::string, std::string> treeContents(const std::string& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> out;
  const fs::path base = fsPath(root);
  for (auto it = fs::recursive_directory_iterator(base); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string rel = utf8(fs::relative(it->path(), base));
    if (it->is_symlink()) {
      out[rel] = "-> " + utf8(fs::read_symlink(it->path()));
    } else if (it->is_directory()) {
      out[rel] = "<folder>";
    } else if (it->is_regular_file()) {
      out[rel] = readFile(utf8(it->path()));
    }
  }
  return out;
}

// Bytes of no particular sense, the same for the same seed.
inline std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(rng() & 0xFF);
  return out;
}

// The bytes of a settings.jst as the window leaves it after its first start:
// 12007 records of 128 bytes, the volume marker set, and what a test sets.
class SettingsBytes {
 public:
  SettingsBytes() : bytes_(std::size_t{12007} * 128, '\0') { integer(12007, 1); }
  SettingsBytes& volumes(std::int16_t mp3, std::int16_t game) {
    return integer(12005, mp3).integer(12006, game);
  }
  SettingsBytes& language(std::int16_t language) { return integer(12000, language); }
  SettingsBytes& integer(int record, std::int16_t value) {
    const std::size_t at = static_cast<std::size_t>(record - 1) * 128;
    bytes_[at] = static_cast<char>(value & 0xFF);
    bytes_[at + 1] = static_cast<char>((value >> 8) & 0xFF);
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Joins lines, each followed by CR LF, the way the program writes text.
inline std::string crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// Runs a test inside a folder, so that Windows-style "D:\..." paths resolve
// to a folder named "D:" there.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::string& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(fsPath(dir));
  }
  ~ScopedCwd() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

#ifdef TUNEBELT_FIXTURES
// A fixture from tests/fixtures copied to `target` with "@ROOT@" replaced by
// the folder's path.
inline void copyFixture(const std::string& name, const TempDir& dir, const std::string& target) {
  std::string text = readFile(std::string(TUNEBELT_FIXTURES) + "/" + name);
  if (text.empty()) throw std::runtime_error("missing fixture " + name);
  for (auto at = text.find("@ROOT@"); at != std::string::npos; at = text.find("@ROOT@")) {
    text.replace(at, 6, dir.str());
  }
  writeFile(target, text);
}
#endif

}  // namespace tunebelt::test
