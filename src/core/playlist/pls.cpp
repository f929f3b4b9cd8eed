#include <string>
#include <string_view>

#include "core/playlist/import.h"
#include "core/playlist/playlist.h"
#include "core/playlist/reader.h"

namespace tunebelt {

// Every line starting "File" and ending ".mp3" (any case) is an entry line. Each "=" in
// it after "File" (the last character aside) starts a candidate that runs to
// the end of the line, so "File1=a=b.mp3" gives "a=b.mp3" and "b.mp3".
ImportResult plsload(ProgramState& state, const std::string& path, Host& host) {
  auto lines = reader::readPlaylist(path, host);
  if (!lines) return ImportResult::Failed;
  const std::string folder = getPath(path);
  for (const std::string& line : *lines) {
    if (!line.starts_with("File") || !HasMp3Extension(line)) continue;
    for (std::size_t i = 4; i + 1 < line.size(); ++i) {
      if (line[i] != '=') continue;
      std::string_view c = std::string_view(line).substr(i + 1);
      if (c.size() > reader::kLongestPath) continue;  // no such file anywhere
      auto p = reader::findEntry(reader::isAbsoluteEntry(c) ? std::string() : folder, c);
      if (!p) continue;
      if (!reader::append(state, *p, host)) return ImportResult::Full;
    }
  }
  return ImportResult::Read;
}

}  // namespace tunebelt
