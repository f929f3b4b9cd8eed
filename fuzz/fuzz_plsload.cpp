// The PLS reader over any file bytes.
#include "fuzz_playlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tunebelt::fuzz::readPlaylist(tunebelt::plsload, "list.pls", data, size);
}
