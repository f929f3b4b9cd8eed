// Shared by the fuzz targets: a scratch folder that lives as long as the
// process, and whole-file helpers that never throw.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/state/host.h"

namespace tunebelt::fuzz {

// Shows nothing, answers No and cancels every dialog.
class SilentHost : public Host {
 public:
  void showMessage(std::string_view, std::string_view, MessageIcon) override {}
  bool askYesNo(std::string_view, std::string_view) override { return false; }
  YesNoChoice askYesNoWithCheckBox(std::string_view, std::string_view, std::string_view) override {
    return {};
  }
  std::string chooseOpenFile(std::string_view, std::string_view) override { return {}; }
  std::vector<std::string> chooseOpenFiles(std::string_view, std::string_view) override {
    return {};
  }
  void showProgressWindow() override {}
  void setStage(Stage) override {}
  void setScriptText(const std::string&) override {}
  void setProgressMaximum(int) override {}
  void setProgressValue(int) override {}
  void setProgressCaption(const std::string&) override {}
  void playlistChanged(const std::vector<std::string>&, const PlaylistChange&) override {}
  void modFolderTextChanged(const std::string&) override {}
  void modFolderEnabledChanged(bool) override {}
  void modFolderRemembered(const std::string&) override {}
  void cacheLabelChanged(const std::string&) override {}
};

// Where the scratch folder goes: $TMPDIR when set, else /dev/shm when there
// is one. The file targets make and delete a new file per run; on a disk
// file system that churn of inodes slows every later file creation for
// minutes, in the fuzzer and in whatever else runs on the machine.
inline std::filesystem::path scratchBase() {
  std::error_code ec;
  if (std::getenv("TMPDIR") == nullptr && std::filesystem::is_directory("/dev/shm", ec) &&
      ::access("/dev/shm", W_OK) == 0) {
    return "/dev/shm";
  }
  return std::filesystem::temp_directory_path();
}

// A folder made once per process and removed at exit. The name is never
// destroyed, so the exit handler can still read it.
inline const std::string& scratchFolder() {
  static const std::string* folder = [] {
    auto* f = new std::string((scratchBase() / "tunebelt-fuzz-XXXXXX").string());
    if (::mkdtemp(f->data()) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(scratchFolder(), ec);
    });
    return f;
  }();
  return *folder;
}

inline void putFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

inline std::string getFile(const std::string& path) {
  std::string out;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

// Stops the run with a readable reason; libFuzzer saves the input.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace tunebelt::fuzz
