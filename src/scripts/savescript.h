// Save Script: validate, write every script the game reads, copy the tracks.
#pragma once

#include <string>

#include "state/host.h"
#include "state/state.h"

namespace tunebelt {

struct SaveOptions {
  bool deleteUnused = false;  // the "Delete unused mp3 files" box
  char decimalSeparator = '.';
};

enum class SaveResult { Done, Refused, Failed };

// Runs the whole command. `modFolder` is the mod folder box's text; a trailing
// separator is trimmed and written back through the host. Every message goes
// through the host; nothing throws.
SaveResult SaveScript(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                      Host& host);

}  // namespace tunebelt
