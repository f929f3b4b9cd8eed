// Helpers shared by the tests: a temporary folder that removes itself,
// environment variables set for one test, and whole-file reads and writes.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
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
      if (!it->is_symlink()) ::chmod(it->path().c_str(), 0755);
    }
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  // A path inside the folder, as a string.
  std::string operator/(std::string_view rel) const { return (path_ / rel).string(); }

 private:
  std::filesystem::path path_;
};

// Sets environment variables for one test and puts the old values back.
class EnvGuard {
 public:
  ~EnvGuard() {
    for (const auto& [name, old] : saved_) {
      if (old)
        ::setenv(name.c_str(), old->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }
  void set(const std::string& name, const std::string& value) {
    save(name);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  void unset(const std::string& name) {
    save(name);
    ::unsetenv(name.c_str());
  }

 private:
  void save(const std::string& name) {
    if (saved_.count(name)) return;
    const char* v = std::getenv(name.c_str());
    saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

inline void writeFile(const std::string& path, std::string_view content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(content.data(), static_cast<std::streamsize>(content.size()));
}

inline std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

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
    std::filesystem::current_path(dir);
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
