// LoadSettings over a settings.jst of any bytes: it reads what it can and
// never fills more folders than the table holds.
#include "fuzz_util.h"
#include "platform/fs.h"
#include "state/settings.h"

using namespace tunebelt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::scratchFolder() + "/settings.jst";
  fuzz::putFile(path, data, size);
  ProgramState state;
  int box = LoadSettings(path, state);
  if (box != 0 && box != 1) fuzz::fail("the box reads as neither 0 nor 1");
  if (state.ModFolderCount() > kMaxModFolders) fuzz::fail("more folders than the table holds");
  return 0;
}
