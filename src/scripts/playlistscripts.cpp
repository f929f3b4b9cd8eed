#include "scripts/playlistscripts.h"

#include <cstddef>

#include "platform/fs.h"
#include "scripts/tracknames.h"

namespace tunebelt {

namespace {

constexpr const char* kCrLf = "\r\n";
// Once this many lines are written, every further track starts a new file.
constexpr int kLinesPerFile = 3998;

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// The six alias lines of track n of N, each preceded by CR LF.
std::string TrackLines(int n, int count, const std::string& displayName) {
  const std::string num = std::to_string(n);
  const std::string next = std::to_string(n < count ? n + 1 : 1);
  const std::string prev = std::to_string(n > 1 ? n - 1 : count);
  const std::string file = CleanTrackName(displayName);
  const std::string say = SayTrackName(displayName);
  const std::string repoint =
      "; alias nexttracks nexttrack" + num + "; alias prevtrack prevtrack" + num;

  std::string out;
  auto line = [&out](const std::string& l) { out += kCrLf + l; };
  line("alias track" + num + " " + Quoted("mp3 play mp3s\\" + file + repoint));
  line("alias lptrack" + num + " " + Quoted("mp3 loop mp3s\\" + file + repoint));
  line("alias nexttrack" + num + " " +
       Quoted("alias looptrack lptrack" + next + "; alias playtrack track" + next +
              "; alias saytrack saytrack" + next + "; alias tsaytrack tsaytrack" + next +
              "; echo Tunebelt: next track; playtrack;"));
  line("alias prevtrack" + num + " " +
       Quoted("alias looptrack lptrack" + prev + "; alias playtrack track" + prev +
              "; playtrack; alias saytrack saytrack" + prev + "; alias tsaytrack tsaytrack" + prev +
              "; echo Tunebelt: previous track;"));
  line("alias saytrack" + num + " " + Quoted("say listening to " + say + " with Tunebelt"));
  line("alias tsaytrack" + num + " " + Quoted("say_team listening to " + say + " with Tunebelt;"));
  return out;
}

std::string FileName(std::size_t number) {
  return "playlist" + std::to_string(number) + ".cfg";
}

}  // namespace

std::vector<std::string> BuildPlaylistScripts(const ProgramState& state) {
  const int count = state.TrackCount();
  std::vector<std::string> texts(1);
  int lines = 0;  // counted over the whole playlist, never reset per file
  for (int n = 1; n <= count; ++n) {
    texts.back() += TrackLines(n, count, state.PlaylistNames[static_cast<std::size_t>(n - 1)]);
    lines += 6;
    if (lines > kLinesPerFile) texts.emplace_back();
  }
  for (std::size_t f = 0; f < texts.size(); ++f) {
    texts[f] += kCrLf;
    if (f + 1 < texts.size()) texts[f] += kCrLf + ("exec " + FileName(f + 2)) + kCrLf;
  }
  return texts;
}

void WritePlaylistScripts(const ProgramState& state, const std::string& modFolder, Host& host) {
  host.showProgressWindow();
  const std::vector<std::string> texts = BuildPlaylistScripts(state);
  for (std::size_t f = 0; f < texts.size(); ++f) {
    platform::writeFileAtomic(platform::joinPath(modFolder, FileName(f + 1)), texts[f]);
  }
}

}  // namespace tunebelt
