// KeyBindingsText over any old list: the new list is the old one without its
// controls sections, then the section; a second rewrite changes nothing
// (saving twice never grows the list), and taking the section out again
// gives the player's part back.
#include <string_view>

#include "core/scripts/keybindings.h"
#include "fuzz_util.h"

using namespace tunebelt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string once = KeyBindingsText(text);
  std::string section;
  for (const std::string& line : ControlsSection()) section += line + "\r\n";
  if (once.size() < section.size() ||
      once.compare(once.size() - section.size(), std::string::npos, section) != 0) {
    fuzz::fail("list does not end with the section");
  }
  const std::string kept = WithoutControlsSection(text);
  if (once.compare(0, kept.size(), kept) != 0) fuzz::fail("the player's bytes changed");
  if (KeyBindingsText(once) != once) fuzz::fail("second rewrite changed the list");
  bool found = false;
  const std::string back = WithoutControlsSection(once, &found);
  if (!found) fuzz::fail("the section written is not found again");
  if (back.compare(0, kept.size(), kept) != 0 || back.size() > kept.size() + 2) {
    fuzz::fail("taking the section out does not give the player's part back");
  }
  return 0;
}
