// WriteUserConfigHook on a userconfig.cfg of any bytes: afterwards exactly
// one pass has added the hook line (or the file, already hooked, is
// untouched), the old lines are kept, and a second save changes nothing.
#include <string_view>

#include "core/scripts/userconfighook.h"
#include "fuzz_util.h"
#include "platform/fs.h"

using namespace tunebelt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string mod = [] {
    std::string m = platform::joinPath(fuzz::scratchFolder(), "valve");
    std::filesystem::create_directories(m);
    return m;
  }();
  static const std::string file = mod + "/userconfig.cfg";
  fuzz::putFile(file, data, size);
  std::string_view text(reinterpret_cast<const char*>(data), size);

  WriteUserConfigHook(mod);
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
  WriteUserConfigHook(mod);
  if (fuzz::getFile(file) != after) fuzz::fail("second save changed userconfig.cfg");
  if (platform::listDir(mod).size() != 1) fuzz::fail("temporary file left");
  return 0;
}
