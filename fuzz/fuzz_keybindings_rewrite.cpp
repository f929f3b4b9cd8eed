// RewriteKeyBindings over any old list: the new list ends with the controls
// section, holds no empty line, and a second rewrite changes nothing (saving
// twice never grows the list).
#include <string_view>

#include "core/scripts/keybindings.h"
#include "fuzz_util.h"
#include "platform/fs.h"

using namespace tunebelt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> once = RewriteKeyBindings(platform::splitLines(text));
  const std::vector<std::string> section = ControlsSection();
  if (once.size() < section.size()) fuzz::fail("section missing");
  if (!std::equal(section.begin(), section.end(), once.end() - static_cast<long>(section.size()))) {
    fuzz::fail("list does not end with the section");
  }
  for (const std::string& line : once) {
    if (line.empty()) fuzz::fail("empty line kept");
  }
  if (RewriteKeyBindings(once) != once) fuzz::fail("second rewrite changed the list");
  return 0;
}
