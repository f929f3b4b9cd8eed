#include "core/scripts/playlistscripts.h"

#include <charconv>
#include <cstddef>
#include <string_view>

#include "core/scripts/tracknames.h"
#include "platform/codepage.h"
#include "platform/fs.h"

namespace tunebelt {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kCrLfBytes = 2;

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
  void add(char piece) { out_ += piece; }
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
void AppendTrackLines(std::string& out, int n, int count, const std::string& displayName) {
  const int next = n < count ? n + 1 : 1;
  const int prev = n > 1 ? n - 1 : count;
  const std::string file = CleanTrackName(displayName);
  const std::string say = SayTrackName(displayName);
  Text t(out);
  t.line("alias track", n, " \"mp3 play mp3s", platform::kSep, file, "; alias nexttracks nexttrack",
         n, "; alias prevtrack prevtrack", n, "\"");
  t.line("alias lptrack", n, " \"mp3 loop mp3s", platform::kSep, file,
         "; alias nexttracks nexttrack", n, "; alias prevtrack prevtrack", n, "\"");
  t.line("alias nexttrack", n, " \"alias looptrack lptrack", next, "; alias playtrack track", next,
         "; alias saytrack saytrack", next, "; alias tsaytrack tsaytrack", next,
         "; echo Tunebelt: next track; playtrack;\"");
  t.line("alias prevtrack", n, " \"alias looptrack lptrack", prev, "; alias playtrack track", prev,
         "; playtrack; alias saytrack saytrack", prev, "; alias tsaytrack tsaytrack", prev,
         "; echo Tunebelt: previous track;\"");
  t.line("alias saytrack", n, " \"say listening to ", say, " with Tunebelt\"");
  t.line("alias tsaytrack", n, " \"say_team listening to ", say, " with Tunebelt;\"");
}

std::string FileName(std::size_t number) {
  return "playlist" + std::to_string(number) + ".cfg";
}

std::string ExecLine(std::size_t number) {
  return "exec " + FileName(number);
}

// What ends file k besides its tracks: the CR LF of its last line, then the
// empty line and the exec line of file k+1. Counted for every file, the last
// one too, so where a track goes never depends on the tracks after it.
std::size_t ClosingBytes(std::size_t k) {
  return kCrLfBytes + kCrLfBytes + ExecLine(k + 1).size() + kCrLfBytes;
}

// A new file's text, with room for the whole file and a track that is
// appended before it is found not to fit, so a file seldom grows by copying.
std::string NewFileText() {
  std::string text;
  text.reserve(kMaxPlaylistFileBytes + 2048);
  return text;
}

}  // namespace

std::vector<std::string> BuildPlaylistScripts(const ProgramState& state) {
  const int count = state.TrackCount();
  std::vector<std::string> texts;
  texts.push_back(NewFileText());
  std::size_t closing = ClosingBytes(1);
  for (int n = 1; n <= count; ++n) {
    std::string& text = texts.back();
    const std::size_t before = text.size();
    AppendTrackLines(text, n, count, state.PlaylistNames[static_cast<std::size_t>(n - 1)]);
    // A track that takes its file over the limit moves to the next file; the
    // first track of a file stays, whatever its size.
    if (before > 0 && text.size() + closing > kMaxPlaylistFileBytes) {
      std::string next = NewFileText();
      next.append(text, before);
      text.resize(before);
      texts.push_back(std::move(next));
      closing = ClosingBytes(texts.size());
    }
  }
  for (std::size_t f = 0; f < texts.size(); ++f) {
    texts[f] += kCrLf;
    if (f + 1 < texts.size()) {
      texts[f] += kCrLf;
      texts[f] += ExecLine(f + 2);
      texts[f] += kCrLf;
    }
  }
  return texts;
}

void WritePlaylistScripts(const ProgramState& state, const std::string& modFolder, Host& host) {
  host.showProgressWindow();
  const std::vector<std::string> texts = BuildPlaylistScripts(state);
  for (std::size_t f = 0; f < texts.size(); ++f) {
#ifdef _WIN32
    // The game reads its scripts in the ANSI code page. No character takes
    // more bytes there than in UTF-8, so every file stays within its limit.
    platform::writeFileAtomic(platform::joinPath(modFolder, FileName(f + 1)),
                              platform::toCodePage(texts[f]));
#else
    platform::writeFileAtomic(platform::joinPath(modFolder, FileName(f + 1)), texts[f]);
#endif
  }
}

}  // namespace tunebelt
