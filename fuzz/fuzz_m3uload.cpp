// The extended M3U reader over any file bytes.
#include "fuzz_playlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tunebelt::fuzz::readPlaylist(tunebelt::m3uload, "list.m3u", data, size);
}
