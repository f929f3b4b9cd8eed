#include "core/modfolder/vdf.h"

#include <algorithm>
#include <utility>

namespace tunebelt {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

struct Damage {
  int line;
  std::string what;
};

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
  }

  // Reads pairs into `out` up to the "}" that closes the block (depth > 0)
  // or the end of the text (depth 0).
  void pairs(std::vector<VdfNode>& out, int depth) {
    for (;;) {
      std::string key;
      Token t = next(key);
      if (t == Token::End) {
        if (depth > 0) fail("a block is not closed");
        return;
      }
      if (t == Token::Close) {
        if (depth == 0) fail("a \"}\" closes no block");
        return;
      }
      if (t == Token::Open) fail("a block has no key");
      VdfNode node;
      node.key = std::move(key);
      t = next(node.value);
      if (t == Token::Open) {
        if (depth + 1 > kMaxVdfDepth) fail("blocks are nested too deep");
        node.isBlock = true;
        pairs(node.children, depth + 1);
      } else if (t != Token::String) {
        fail("a key has no value");
      }
      out.push_back(std::move(node));
    }
  }

 private:
  enum class Token { String, Open, Close, End };

  [[noreturn]] void fail(std::string what) const { throw Damage{line_, std::move(what)}; }

  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return text_[pos_]; }
  char take() {
    char c = text_[pos_++];
    if (c == '\n') ++line_;
    if (c == '\0') fail("a NUL byte");
    return c;
  }

  // Skips white space, comments and conditions up to the next token.
  void skipToToken() {
    while (!atEnd()) {
      char c = peek();
      if (isBlank(c)) {
        take();
      } else if (text_.substr(pos_, 2) == "//") {
        while (!atEnd() && peek() != '\n') take();
      } else if (c == '[') {
        while (!atEnd() && peek() != ']') take();
        if (atEnd()) fail("a condition is not closed");
        take();
      } else {
        return;
      }
    }
  }

  Token next(std::string& text) {
    skipToToken();
    if (atEnd()) return Token::End;
    char c = take();
    if (c == '{') return Token::Open;
    if (c == '}') return Token::Close;
    text.clear();
    if (c == '"') {
      const int opened = line_;
      for (;;) {
        if (atEnd()) throw Damage{opened, "a quote is not closed"};
        c = take();
        if (c == '"') return Token::String;
        if (c == '\\' && !atEnd()) {
          char e = peek();
          if (e == '\\' || e == '"' || e == 'n' || e == 't') {
            take();
            c = e == 'n' ? '\n' : e == 't' ? '\t' : e;
          }
        }
        text += c;
      }
    }
    text += c;
    while (!atEnd()) {
      c = peek();
      if (isBlank(c) || c == '"' || c == '{' || c == '}' || c == '[') break;
      text += take();
    }
    return Token::String;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace

bool KeysMatch(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

const VdfNode* VdfNode::find(std::string_view name) const {
  for (const VdfNode& child : children) {
    if (KeysMatch(child.key, name)) return &child;
  }
  return nullptr;
}

std::optional<std::vector<VdfNode>> ParseVdf(std::string_view text, VdfError* error) {
  std::vector<VdfNode> out;
  try {
    Reader(text).pairs(out, 0);
  } catch (const Damage& d) {
    if (error != nullptr) *error = {d.line, d.what};
    return std::nullopt;
  }
  return out;
}

}  // namespace tunebelt
