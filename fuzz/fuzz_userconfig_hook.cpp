// The save's userconfig.cfg step (read, planned, applied) on a file of any bytes: afterwards
// exactly one pass has added the hook line (or the file, already hooked, is untouched), the old
// lines are kept, and a second save changes nothing.
#include <string_view>

#include "core/scripts/applyplan.h"
#include "core/scripts/saveplan.h"
#include "core/scripts/userconfighook.h"
#include "fuzz_util.h"
#include "platform/fs.h"

using namespace tunebelt;

namespace {

void saveHook(const std::string& mod) {
  fuzz::SilentHost host;
  const ModLayout layout(mod);
  WriteUserConfigHook(PlanSave(ProgramState{}, layout, ReadModFolder(layout, mod), PlanOptions{}),
                      host, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string mod = [] {
    std::string m = platform::joinPath(fuzz::scratchFolder(), "valve");
    std::filesystem::create_directories(m + "/gfx/shell");  // a save needs the key list
    fuzz::putFile(m + "/gfx/shell/kb_act.lst", reinterpret_cast<const uint8_t*>("\r\n"), 2);
    return m;
  }();
  static const std::string file = mod + "/userconfig.cfg";
  fuzz::putFile(file, data, size);
  std::string_view text(reinterpret_cast<const char*>(data), size);

  saveHook(mod);
  const std::string after = fuzz::getFile(file);
  const std::vector<std::string> oldLines = platform::splitLines(text);
  bool hooked = std::find(oldLines.begin(), oldLines.end(), kHookLine) != oldLines.end();
  if (hooked) {
    if (after != text) fuzz::fail("hooked file was rewritten");
  } else {
    std::string expected;
    for (const std::string& line : oldLines) expected += line + "\r\n";
    expected += std::string(kHookLine) + "\r\n";
    if (after != expected) fuzz::fail("old lines plus the hook line expected");
  }
  saveHook(mod);
  if (fuzz::getFile(file) != after) fuzz::fail("second save changed userconfig.cfg");
  if (platform::listDir(mod).size() != 2) fuzz::fail("temporary file left");
  return 0;
}
