// ParseVdf and the libraryfolders.vdf reading over any bytes: a text read
// whole, written back with every character escaped that needs it, reads as
// the same tree; the library list is damaged exactly when the text is, and
// holds only full paths.
#include <string>
#include <string_view>
#include <vector>

#include "core/modfolder/discovery.h"
#include "core/modfolder/vdf.h"
#include "fuzz_util.h"

using namespace tunebelt;

namespace {

void quoted(std::string& out, const std::string& text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  out += '"';
}

void written(std::string& out, const std::vector<VdfNode>& pairs, int depth) {
  if (depth > kMaxVdfDepth) fuzz::fail("a tree deeper than the reader allows");
  for (const VdfNode& node : pairs) {
    quoted(out, node.key);
    out += ' ';
    if (node.isBlock) {
      out += "{\n";
      written(out, node.children, depth + 1);
      out += "}\n";
    } else {
      quoted(out, node.value);
      out += '\n';
    }
  }
}

bool same(const std::vector<VdfNode>& a, const std::vector<VdfNode>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].key != b[i].key || a[i].value != b[i].value || a[i].isBlock != b[i].isBlock ||
        !same(a[i].children, b[i].children)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  VdfError error;
  const auto pairs = ParseVdf(text, &error);
  const auto libraries = LibraryFoldersFromVdf(text);
  if (pairs.has_value() != libraries.has_value()) fuzz::fail("the two readers disagree");
  if (!pairs) {
    if (error.line < 1 || error.what.empty()) fuzz::fail("damage without a place or a reason");
    return 0;
  }
  for (const std::string& path : *libraries) {
    if (path.empty() || path.front() != '/') fuzz::fail("a library that is no full path");
  }
  std::string again;
  written(again, *pairs, 0);
  const auto reread = ParseVdf(again);
  if (!reread || !same(*pairs, *reread)) fuzz::fail("a tree written back reads differently");
  return 0;
}
