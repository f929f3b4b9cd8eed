#include "platform/userfolders.h"

#include <string_view>

#include "platform/fs.h"

namespace tunebelt::platform {

namespace {

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

std::string parseUserDir(const std::string& fileText, const std::string& key,
                         const std::string& homeDir) {
  std::string result;
  for (const std::string& line : splitLines(fileText)) {
    std::string value;
    if (lineValue(line, key, homeDir, value)) result = value;  // the last entry wins
  }
  return result;
}

}  // namespace tunebelt::platform
