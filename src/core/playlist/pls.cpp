#include <string>
#include <string_view>

#include "core/playlist/import.h"
#include "core/playlist/playlist.h"
#include "core/playlist/reader.h"

namespace tunebelt {

// Every line starting "File" and ending in a track's extension (any case)
// is an entry line.
// Its entry is everything after the first "=" following "File", so
// "File1=a=b.mp3" names "a=b.mp3" alone; one lookup a line keeps the reading
// linear in the file's size, however many "=" a line holds.
ImportResult plsload(ProgramState& state, const std::string& path, Host& host,
                     std::vector<std::string>* refused) {
  auto lines = reader::readPlaylist(path, host);
  if (!lines) return ImportResult::Failed;
  std::vector<std::string> own;
  std::vector<std::string>& notPlayable = refused != nullptr ? *refused : own;
  ImportResult result = ImportResult::Read;
  const std::string folder = getPath(path);
  for (const std::string& line : *lines) {
    if (!line.starts_with("File") || !IsTrackName(line)) continue;
    const std::size_t equals = line.find('=', 4);
    if (equals == std::string::npos) continue;
    const std::string_view c = std::string_view(line).substr(equals + 1);
    if (c.size() > reader::kLongestPath) continue;  // no such file anywhere
    auto p = reader::findEntry(reader::isAbsoluteEntry(c) ? std::string() : folder, c);
    if (!p) continue;
    if (!reader::append(state, *p, host, notPlayable)) {
      result = ImportResult::Full;
      break;
    }
  }
  TellRefusedTracks(own, state, host);
  return result;
}

}  // namespace tunebelt
