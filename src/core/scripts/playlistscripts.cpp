#include "core/scripts/playlistscripts.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <string_view>
#include <system_error>
#include <utility>

#include "core/scripts/modlayout.h"
#include "core/scripts/tracknames.h"
#include "platform/fs.h"

namespace tunebelt {

namespace {

constexpr const char* kCrLf = "\r\n";

// Appends its pieces to one text: the six lines of a track are built in
// place, without a temporary string per line or per piece.
class Text {
 public:
  explicit Text(std::string& out) : out_(out) {}
  template <typename... Pieces>
  void line(const Pieces&... pieces) {
    out_ += kCrLf;
    (add(pieces), ...);
  }

 private:
  void add(std::string_view piece) { out_.append(piece); }
  void add(const char* piece) { out_.append(piece); }
  void add(const std::string& piece) { out_.append(piece); }
  void add(int number) {
    char buf[16];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, number);
    (void)ec;
    out_.append(buf, end);
  }
  std::string& out_;
};

// The six alias lines of track n of N, each preceded by CR LF.
void AppendTrackLines(std::string& out, int n, int count, const ScriptTrack& track,
                      char separator) {
  const int next = n < count ? n + 1 : 1;
  const int prev = n > 1 ? n - 1 : count;
  const std::string file = ModLayout::GameTrackPath(track.copyName, separator);
  const std::string say = SayTrackName(track.displayName);
  Text t(out);
  // Typed or bound, track<n> moves every key to track n; run by playtrack it
  // sets what is set already.
  t.line("alias track", n, " \"mp3 play ", file, "; alias nexttracks nexttrack", n,
         "; alias prevtrack prevtrack", n, "; alias playtrack track", n,
         "; alias looptrack lptrack", n, "; alias saytrack saytrack", n,
         "; alias tsaytrack tsaytrack", n, "\"");
  t.line("alias lptrack", n, " \"mp3 loop ", file, "; alias nexttracks nexttrack", n,
         "; alias prevtrack prevtrack", n, "\"");
  t.line("alias nexttrack", n, " \"alias looptrack lptrack", next, "; alias playtrack track", next,
         "; alias saytrack saytrack", next, "; alias tsaytrack tsaytrack", next,
         "; echo Tunebelt: next track; playtrack;\"");
  t.line("alias prevtrack", n, " \"alias looptrack lptrack", prev, "; alias playtrack track", prev,
         "; playtrack; alias saytrack saytrack", prev, "; alias tsaytrack tsaytrack", prev,
         "; echo Tunebelt: previous track;\"");
  t.line("alias saytrack", n, " \"say listening to ", say, " with Tunebelt\"");
  t.line("alias tsaytrack", n, " \"say_team listening to ", say, " with Tunebelt;\"");
}

std::string ExecLine(std::size_t number) {
  return "exec " + ModLayout::PlaylistFileName(number);
}

// A new file's text, with room for the whole file and an item that is
// appended before it is found not to fit, so a file seldom grows by copying.
std::string NewFileText() {
  std::string text;
  text.reserve(kMaxPlaylistFileBytes + 2048);
  return text;
}

}  // namespace

std::vector<std::string> PackChain(int count, const ChainFormat& format) {
  // What ends file k besides its items, counted for every file.
  const auto closing = [&format](std::size_t k) {
    return format.fileEnd.size() + format.link(k + 1).size();
  };
  std::vector<std::string> texts;
  texts.push_back(NewFileText());
  std::size_t closingBytes = closing(1);
  for (int n = 1; n <= count; ++n) {
    std::string& text = texts.back();
    const std::size_t before = text.size();
    format.appendItem(text, n);
    // An item that takes its file over the limit moves to the next file; the
    // first item of a file stays, whatever its size.
    if (before > 0 && text.size() + closingBytes > kMaxPlaylistFileBytes) {
      std::string next = NewFileText();
      next.append(text, before);
      text.resize(before);
      texts.push_back(std::move(next));
      closingBytes = closing(texts.size());
    }
  }
  for (std::size_t f = 0; f < texts.size(); ++f) {
    texts[f] += format.fileEnd;
    if (f + 1 < texts.size()) texts[f] += format.link(f + 2);
  }
  return texts;
}

std::vector<std::string> BuildPlaylistScripts(const std::vector<ScriptTrack>& tracks,
                                              char gamePathSeparator) {
  const int count = static_cast<int>(tracks.size());
  // Each track's lines begin with CR LF, so a file starts with an empty line;
  // the last line's CR LF ends the file, and an empty line comes before the
  // exec line of the next file.
  return PackChain(
      count, {[&](std::string& out, int n) {
                AppendTrackLines(out, n, count, tracks[static_cast<std::size_t>(n - 1)],
                                 gamePathSeparator);
              },
              kCrLf, [](std::size_t next) { return std::string(kCrLf) + ExecLine(next) + kCrLf; }});
}

bool IsPlaylistScript(std::string_view text, std::size_t number) {
  std::vector<std::string> lines = platform::splitLines(text);
  if (lines.size() >= 2 && lines[lines.size() - 2].empty() &&
      lines.back() == ExecLine(number + 1)) {
    lines.resize(lines.size() - 2);
  }
  if (lines.size() < 7 || !lines[0].empty() || (lines.size() - 1) % 6 != 0) return false;
  // Each track's lines in the order AppendTrackLines writes them: the alias
  // name before the number, what the quoted text starts with after it.
  static constexpr std::pair<std::string_view, std::string_view> kLines[] = {
      {"alias track", " \"mp3 play "},
      {"alias lptrack", " \"mp3 loop "},
      {"alias nexttrack", " \"alias looptrack lptrack"},
      {"alias prevtrack", " \"alias looptrack lptrack"},
      {"alias saytrack", " \"say listening to "},
      {"alias tsaytrack", " \"say_team listening to "},
  };
  const std::string_view firstLine = lines[1];
  int n = 0;
  const char* digits = firstLine.data() + std::min(firstLine.size(), kLines[0].first.size());
  if (firstLine.substr(0, kLines[0].first.size()) != kLines[0].first ||
      std::from_chars(digits, firstLine.data() + firstLine.size(), n).ec != std::errc() || n < 1) {
    return false;
  }
  for (std::size_t i = 1; i < lines.size(); ++n) {
    for (const auto& [name, body] : kLines) {
      const std::string& line = lines[i++];
      const std::string prefix = std::string(name) + std::to_string(n) + std::string(body);
      if (line.size() <= prefix.size() || line.compare(0, prefix.size(), prefix) != 0 ||
          line.back() != '"') {
        return false;
      }
    }
  }
  return true;
}

}  // namespace tunebelt
