#include <string>
#include <string_view>

#include "core/playlist/import.h"
#include "core/playlist/playlist.h"
#include "core/playlist/reader.h"
#include "core/state/printable.h"
#include "platform/fs.h"

namespace tunebelt {

namespace {

// One entry line: looked up as it stands when absolute, else resolved
// against the playlist's folder. False when the playlist is full.
bool takeEntry(ProgramState& state, const std::string& e, Host& host,
               std::vector<std::string>& refused) {
  if (!IsTrackName(e)) return true;
  if (reader::isAbsoluteEntry(e)) {
    auto p = reader::findEntry({}, e);
    return !p || reader::append(state, *p, host, refused);
  }
  // getm3upath climbs for each "..\" and joins the rest to the folder reached.
  std::string joined = getm3upath(state, e);
  auto p = reader::findEntry(state.ImportFolder,
                             std::string_view(joined).substr(state.ImportFolder.size() + 1));
  if (!p) return true;
  const int before = state.TrackCount();
  if (!reader::append(state, *p, host, refused)) return false;
  if (state.DebugMode == 1 && state.TrackCount() > before) {
    host.showMessage(PrintableName(state.PlaylistPaths.back()), kCaption, MessageIcon::None);
  }
  return true;
}

}  // namespace

// Only the line right after an "#EXTINF" line is an entry, whatever it holds.
ImportResult m3uload(ProgramState& state, const std::string& path, Host& host,
                     std::vector<std::string>* refused) {
  auto lines = reader::readPlaylist(path, host);
  if (!lines) return ImportResult::Failed;
  if (lines->empty() || (*lines)[0] != "#EXTM3U") {
    host.showMessage(kNotExtendedM3u, kCaption, MessageIcon::None);
    return ImportResult::Refused;
  }
  std::vector<std::string> own;
  std::vector<std::string>& notPlayable = refused != nullptr ? *refused : own;
  ImportResult result = ImportResult::Read;
  for (std::size_t k = 1; k < lines->size(); ++k) {
    if (!(*lines)[k].starts_with("#EXTINF")) continue;
    state.ImportFolder = getPath(path);
    if (++k == lines->size()) break;
    if (!takeEntry(state, (*lines)[k], host, notPlayable)) {
      result = ImportResult::Full;
      break;
    }
  }
  TellRefusedTracks(own, state, host);
  return result;
}

// Every "..\" anywhere in the entry climbs one folder and drops the first
// three characters, wherever the "..\" itself stood: "sub\..\a.mp3" climbs
// once and keeps "\..\a.mp3". A "../" does not climb.
std::string getm3upath(ProgramState& state, std::string_view entry) {
  std::size_t climbs = 0;
  for (std::size_t i = entry.find("..\\"); i != std::string_view::npos;
       i = entry.find("..\\", i + 3)) {
    ++climbs;
  }
  for (std::size_t n = 0; n < climbs; ++n) {
    std::string up = NavUp(state.ImportFolder);
    if (up == state.ImportFolder) break;  // nowhere further up to go
    state.ImportFolder = std::move(up);
  }
  return platform::joinPath(state.ImportFolder, entry.substr(3 * climbs));
}

std::string NavUp(std::string_view dirPath) {
  // The last character is not examined: "D:\Music\" gives "D:".
  for (std::size_t k = dirPath.size(); k-- > 1;) {
    if (platform::isSep(dirPath[k - 1])) return std::string(dirPath.substr(0, k - 1));
  }
  return std::string(dirPath);
}

}  // namespace tunebelt
