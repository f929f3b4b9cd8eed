// The save's kb_act.lst step (read, planned, applied) on a list of any bytes: the file
// becomes the rewritten list (the player's bytes, then the section), a second
// save leaves it byte for byte as it is, and no temporary file stays behind.
#include <string_view>

#include "core/scripts/applyplan.h"
#include "core/scripts/keybindings.h"
#include "core/scripts/saveplan.h"
#include "fuzz_util.h"
#include "platform/fs.h"

using namespace tunebelt;

namespace {

void saveKeyBindings(const std::string& mod, const std::string& app) {
  fuzz::SilentHost host;
  const ModLayout layout(mod);
  WriteKeyBindings(PlanSave(ProgramState{}, layout, ReadModFolder(layout, app), PlanOptions{}),
                   host, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string mod = [] {
    std::string m = platform::joinPath(fuzz::scratchFolder(), "cstrike");
    std::filesystem::create_directories(m + "/gfx/shell");
    std::filesystem::create_directories(fuzz::scratchFolder() + "/app");
    return m;
  }();
  static const std::string list = mod + "/gfx/shell/kb_act.lst";
  fuzz::putFile(list, data, size);

  saveKeyBindings(mod, fuzz::scratchFolder() + "/app");
  const std::string first = fuzz::getFile(list);
  const std::string expected =
      KeyBindingsText(std::string_view(reinterpret_cast<const char*>(data), size));
  if (first != expected) fuzz::fail("kb_act.lst is not the rewritten list");
  saveKeyBindings(mod, fuzz::scratchFolder() + "/app");
  if (fuzz::getFile(list) != first) fuzz::fail("second save changed kb_act.lst");
  if (platform::listDir(mod + "/gfx/shell").size() != 1) fuzz::fail("temporary file left");
  return 0;
}
