#include "platform/userfolders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/fs.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <shlobj.h>
#endif

namespace tunebelt::platform {

namespace {

// An environment variable that holds an absolute path, or empty.
std::string absoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return value;
}

std::string home() {
  const char* value = std::getenv("HOME");
  return value == nullptr ? std::string() : std::string(value);
}

// The folder exists as a folder, or has been created now.
bool ensureFolder(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

FolderLookup found(std::string path) {
  if (!ensureFolder(path)) return {kFolderMissing, {}};
  return {kFolderFound, std::move(path)};
}

std::string readOrEmpty(const std::string& path) {
  try {
    return readFile(path);
  } catch (const FsError&) {
    return {};
  }
}

// A user-dirs entry, else the folder of that name in the home folder.
FolderLookup userDir(const std::string& key, const char* fallbackName) {
  std::string homeDir = home();
  std::string config = configHome();
  if (!config.empty()) {
    std::string dir = parseUserDir(readOrEmpty(config + "/user-dirs.dirs"), key, homeDir);
    if (!dir.empty()) return found(dir);
  }
  if (homeDir.empty()) return {kFolderMissing, {}};
  return found(homeDir + "/" + fallbackName);
}

FolderLookup fontsDir() {
  std::string data = absoluteEnv("XDG_DATA_HOME");
  if (data.empty()) {
    std::string homeDir = home();
    if (homeDir.empty()) return {kFolderMissing, {}};
    data = homeDir + "/.local/share";
  }
  return found(data + "/fonts");
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The value of one `KEY="value"` line, or nothing when the line is not one.
bool lineValue(std::string_view line, const std::string& key, const std::string& homeDir,
               std::string& out) {
  auto skipBlanks = [&] {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  };
  skipBlanks();
  if (!startsWith(line, key)) return false;
  line.remove_prefix(key.size());
  skipBlanks();
  if (!startsWith(line, "=")) return false;
  line.remove_prefix(1);
  skipBlanks();
  if (!startsWith(line, "\"")) return false;
  line.remove_prefix(1);
  std::string value;
  if (startsWith(line, "$HOME")) {
    if (homeDir.empty()) return false;
    line.remove_prefix(5);
    value = homeDir;
  } else if (!startsWith(line, "/")) {
    return false;
  }
  for (std::size_t i = 0; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    value += line[i];
  }
  if (value.size() > 1 && value.back() == '/') value.pop_back();
  out = value;
  return true;
}

}  // namespace

std::string configHome() {
  std::string config = absoluteEnv("XDG_CONFIG_HOME");
  if (config.empty() && !home().empty()) config = home() + "/.config";
  return config;
}

std::string parseUserDir(const std::string& fileText, const std::string& key,
                         const std::string& homeDir) {
  std::string result;
  for (const std::string& line : splitLines(fileText)) {
    std::string value;
    if (lineValue(line, key, homeDir, value)) result = value;  // the last entry wins
  }
  return result;
}

#ifdef _WIN32

FolderLookup getSpecialFolder(int id) {
  char buffer[MAX_PATH] = {};
  HRESULT hr = SHGetFolderPathA(nullptr, id, nullptr, 0, buffer);
  FolderLookup out;
  out.result = static_cast<std::int32_t>(hr);
  if (hr == S_OK) out.path = buffer;
  return out;
}

#else

std::string homeFolder() {
  return absoluteEnv("HOME");
}

FolderLookup getSpecialFolder(int id) {
  switch (id) {
    case kFolderDocuments:
      return userDir("XDG_DOCUMENTS_DIR", "Documents");
    case kFolderMusic:
      return userDir("XDG_MUSIC_DIR", "Music");
    case kFolderFonts:
      return fontsDir();
    case kFolderSystem:
      return {kFolderFound, {}};
    default:
      return {kFolderInvalidId, {}};
  }
}

#endif

}  // namespace tunebelt::platform
