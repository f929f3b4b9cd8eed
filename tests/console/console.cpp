#include "console/console.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/codepage.h"
#include "platform/fs.h"
#include "test_util.h"

namespace tunebelt::console {

namespace {

// Commands whose calls are recorded instead of carried out.
constexpr std::string_view kRecorded[] = {"mp3", "mp3volume", "volume", "say", "say_team"};

// A run of more commands than this is taken for an alias that calls itself.
constexpr std::size_t kMaxSteps = 200'000;

bool IsBlank(char c) {
  auto u = static_cast<unsigned char>(c);
  return u != 0 && u <= ' ';
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

const Profile& GoldSrc() {
  static const Profile p{"GoldSrc", 16384, 2, true, "{}()',:", 80, 515, true, false};
  return p;
}

// Xash3D reads "\" as a separator only where the file system does: on
// Windows, not on Linux. It draws console and chat text with colour codes.
const Profile& Xash3D() {
  static const Profile p{"Xash3D", 32768, 0, false, "{}()',", 80, 0, platform::kSep == '\\', true};
  return p;
}

std::string Printed(const Profile& profile, std::string_view text) {
  if (!profile.colourCodes) return std::string(text);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '^' && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9') {
      ++i;  // the code and its digit are not shown
      continue;
    }
    out += text[i];
  }
  return out;
}

std::size_t CommandEnd(std::string_view text) {
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == '\n' || (text[i] == ';' && !quoted)) return i;
  }
  return text.size();
}

std::vector<std::string> FallbackLines(std::string_view file) {
  std::vector<std::string> lines(1);
  for (char c : file) {
    if (c == '\n' || static_cast<unsigned char>(c) >= 0x80) {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

Tokens Tokenize(const Profile& profile, std::string_view command) {
  Tokens t;
  std::size_t i = 0;
  const auto single = [&](char c) {
    return profile.singleCharTokens.find(c) != std::string_view::npos;
  };
  for (;;) {
    while (i < command.size() && IsBlank(command[i])) ++i;
    if (i >= command.size() || command[i] == '\0') break;
    if (command.substr(i, 2) == "//") break;
    if (t.argv.size() == 1) t.args = std::string(command.substr(i));
    std::string token;
    if (command[i] == '"') {
      std::size_t close = command.find('"', i + 1);
      if (close == std::string_view::npos) close = command.size();
      token = command.substr(i + 1, close - i - 1);
      i = close + 1;
      if (profile.maxQuotedLength > 0 && token.size() >= profile.maxQuotedLength) token.clear();
    } else if (single(command[i])) {
      token = command[i++];
    } else {
      while (i < command.size() && !IsBlank(command[i]) && command[i] != '\0' &&
             !single(command[i])) {
        token += command[i++];
      }
    }
    if (t.argv.size() < profile.maxTokens) t.argv.push_back(std::move(token));
  }
  while (!t.args.empty() && IsBlank(t.args.back())) t.args.pop_back();
  return t;
}

Console::Console(const Profile& profile, std::filesystem::path modFolder)
    : profile_(profile), modFolder_(std::move(modFolder)) {}

void Console::run(std::string_view text) {
  steps_ = 0;
  if (buffer_.size() + text.size() >= profile_.bufferSize) {
    problems_.push_back("command buffer full: " + std::string(text));
    return;
  }
  buffer_ += text;
  if (text.empty() || text.back() != '\n') buffer_ += '\n';
  runUntil(0);
}

std::optional<std::string> Console::alias(std::string_view name) const {
  auto it = aliases_.find(Lower(name));
  if (it == aliases_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::filesystem::path> Console::resolve(std::string_view gamePath) const {
  std::string rel(gamePath);
#ifdef _WIN32
  // The game names its files in the ANSI code page.
  rel = platform::fromCodePage(rel);
#endif
  if (profile_.backslashSeparates) std::replace(rel.begin(), rel.end(), '\\', '/');
  if (rel.empty() || rel.front() == '/') return std::nullopt;
  std::filesystem::path full = modFolder_ / test::fsPath(rel);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(full, ec)) return std::nullopt;
  return full;
}

// Runs commands off the front of the buffer until no more than `waiting`
// bytes are left: what was there before the text that is being run.
void Console::runUntil(std::size_t waiting) {
  while (buffer_.size() > waiting) {
    if (++steps_ > kMaxSteps) {
      problems_.push_back("runaway: more than " + std::to_string(kMaxSteps) + " commands");
      buffer_.clear();
      return;
    }
    const std::size_t end = CommandEnd(buffer_);
    const std::string command = buffer_.substr(0, end);
    buffer_.erase(0, std::min(end + 1, buffer_.size()));
    execute(command);
  }
}

// Puts text in front of what waits in the buffer, if it fits.
bool Console::insert(std::string_view text, std::string_view what) {
  if (buffer_.size() + text.size() >= profile_.bufferSize) {
    problems_.push_back("command buffer full: " + std::string(what));
    return false;
  }
  buffer_.insert(0, text);
  return true;
}

void Console::execute(std::string_view command) {
  Tokens t = Tokenize(profile_, command);
  if (t.argv.empty()) return;
  const std::string name = Lower(t.argv[0]);
  if (std::find(std::begin(kRecorded), std::end(kRecorded), name) != std::end(kRecorded)) {
    std::string shown = Printed(profile_, t.args);
    calls_.push_back({std::move(t.argv), std::move(t.args), std::move(shown)});
  } else if (name == "alias") {
    if (t.argv.size() < 3) return;
    std::string value;
    for (std::size_t i = 2; i < t.argv.size(); ++i) {
      if (i > 2) value += ' ';
      value += t.argv[i];
    }
    aliases_[Lower(t.argv[1])] = value;
  } else if (name == "exec") {
    exec(t);
  } else if (name == "echo") {
    std::string line;
    for (std::size_t i = 1; i < t.argv.size(); ++i) {
      if (i > 1) line += ' ';
      line += t.argv[i];
    }
    echoes_.push_back(Printed(profile_, line));
  } else if (auto it = aliases_.find(name); it != aliases_.end()) {
    insert(it->second + "\n", "alias " + t.argv[0]);
  } else {
    problems_.push_back("Unknown command: " + t.argv[0]);
  }
}

void Console::exec(const Tokens& t) {
  if (t.argv.size() < 2) {
    problems_.push_back("exec without a file name");
    return;
  }
  const std::string& name = t.argv[1];
  std::optional<std::filesystem::path> path = resolve(name);
  if (!path) {
    problems_.push_back("couldn't exec " + name);
    return;
  }
  std::ifstream in(*path, std::ios::binary);
  const std::string file(std::istreambuf_iterator<char>(in), {});
  if (buffer_.size() + file.size() + profile_.insertSlack < profile_.bufferSize) {
    execs_.push_back(name + ": whole");
    buffer_.insert(0, file);
  } else if (profile_.lineByLineFallback) {
    execs_.push_back(name + ": line by line");
    for (const std::string& line : FallbackLines(file)) {
      const std::size_t waiting = buffer_.size();
      if (insert(line + "\n", name)) runUntil(waiting);
    }
  } else {
    execs_.push_back(name + ": dropped");
    problems_.push_back(name + " does not fit the command buffer and was dropped");
  }
}

}  // namespace tunebelt::console
