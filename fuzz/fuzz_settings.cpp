// LoadSettings over a settings.jst of any bytes: it reads what it can, never
// fills more folders than the table holds, and no folder is longer than the
// text a record can hold.
#include "core/state/settings.h"
#include "fuzz_util.h"
#include "platform/fs.h"

using namespace tunebelt;

// The options live in records 12000 onward, 1.5 MB into the file. An input of
// up to 8 KiB is the file itself (folder records, or a file cut short); the
// bytes of a longer one after the first 8 KiB land at record 12000.
constexpr size_t kHead = 8192;
constexpr size_t kOptionsOffset = 11999 * 128;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::scratchFolder() + "/settings.jst";
  if (size <= kHead) {
    fuzz::putFile(path, data, size);
  } else {
    std::vector<uint8_t> file(kOptionsOffset + size - kHead, 0);
    std::copy(data, data + kHead, file.begin());
    std::copy(data + kHead, data + size, file.begin() + kOptionsOffset);
    fuzz::putFile(path, file.data(), file.size());
  }
  ProgramState state;
  LoadSettings(path, state);
  if (state.ModFolderCount() > kMaxModFolders) fuzz::fail("more folders than the table holds");
  for (const std::string& folder : state.ModFolders) {
    if (folder.size() > 126 * 3) fuzz::fail("a folder longer than a record");
  }
  return 0;
}
