// A model of the game's developer console, enough to run the scripts we write
// the way the game runs them: the command buffer and how `exec` puts a file
// into it, the splitting of the buffer into commands, the tokenizer, aliases,
// and recording stand-ins for the commands the scripts call. Two profiles give
// the figures and habits of the two engines the scripts must work in.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunebelt::console {

struct Profile {
  std::string_view name;
  // Bytes the command buffer holds.
  std::size_t bufferSize;
  // `exec` inserts a file whole when waiting + file + insertSlack < bufferSize.
  std::size_t insertSlack;
  // A file that does not fit is fed line by line (true) or dropped (false).
  // Line by line, a "\n" or any byte of 0x80 or above ends a line.
  bool lineByLineFallback;
  // Characters the tokenizer returns as words of their own outside quotes.
  std::string_view singleCharTokens;
  // Tokens kept of one command; the rest are dropped.
  std::size_t maxTokens;
  // A quoted argument this long or longer comes out empty; 0: no limit.
  std::size_t maxQuotedLength;
  // Whether the file system reads "\" as a separator in a game path.
  bool backslashSeparates;
  // Whether printed text (echo, chat) reads "^" and a digit as a colour
  // code, which is not shown.
  bool colourCodes;
};

const Profile& GoldSrc();
const Profile& Xash3D();

// The index of the byte that ends the first command of `text`: a ";" outside
// quotes or any "\n"; text.size() when neither comes.
std::size_t CommandEnd(std::string_view text);

// The lines a file is fed in when it does not fit the buffer (GoldSrc): each
// "\n" and each byte of 0x80 or above ends a line and is not part of one.
std::vector<std::string> FallbackLines(std::string_view file);

struct Tokens {
  std::vector<std::string> argv;
  // The raw text after the first token, without the blanks around it, as
  // commands such as `say` take it.
  std::string args;
};

// Text as the engine shows it on the screen: with colour codes, each "^"
// followed by a digit is taken out, left to right.
std::string Printed(const Profile& profile, std::string_view text);

// One command cut into tokens. Blanks are bytes 1 to 32; "//" outside quotes
// ends the command; a quoted token runs to the next '"' (or the end).
Tokens Tokenize(const Profile& profile, std::string_view command);

// A call of one of the recorded commands (mp3, mp3volume, volume, say,
// say_team).
struct Call {
  std::vector<std::string> argv;
  std::string args;
  std::string shown;  // the args as the players read them (Printed)
};

class Console {
 public:
  Console(const Profile& profile, std::filesystem::path modFolder);

  // Text typed into the console or fired by a bound key: added to the
  // buffer, which then runs until it is empty.
  void run(std::string_view text);

  // The recorded commands, in the order they ran.
  const std::vector<Call>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  // What `echo` printed, as it is shown.
  const std::vector<std::string>& echoes() const { return echoes_; }
  // Everything that went wrong: unknown commands, files not found or dropped,
  // a full buffer, a run that never ends.
  const std::vector<std::string>& problems() const { return problems_; }
  // How each file was run: "<name>: whole", "<name>: line by line",
  // "<name>: dropped".
  const std::vector<std::string>& execs() const { return execs_; }

  std::optional<std::string> alias(std::string_view name) const;
  std::size_t aliasCount() const { return aliases_.size(); }

  // The regular file a game path names under the mod folder, as the game's
  // file system opens it; nothing when there is none.
  std::optional<std::filesystem::path> resolve(std::string_view gamePath) const;

 private:
  void runUntil(std::size_t waiting);
  void execute(std::string_view command);
  void exec(const Tokens& t);
  bool insert(std::string_view text, std::string_view what);

  const Profile& profile_;
  std::filesystem::path modFolder_;
  std::string buffer_;
  std::map<std::string, std::string> aliases_;  // by lower-case name
  std::vector<Call> calls_;
  std::vector<std::string> echoes_;
  std::vector<std::string> problems_;
  std::vector<std::string> execs_;
  std::size_t steps_ = 0;
};

}  // namespace tunebelt::console
