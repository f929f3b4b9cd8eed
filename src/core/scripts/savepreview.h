// A save shown instead of carried out: the steps it would take, planned from
// the mod folder as it is now. Writes nothing into the mod folder and takes
// no lock; when levelling, the loudness it measures is kept for the save.
#pragma once

#include <string>
#include <vector>

#include "core/scripts/plan.h"
#include "core/scripts/savescript.h"
#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

enum class PreviewResult { Done, Refused, Failed };

// The save's checks with the save's messages, then the folder and the
// tracks' files read and the save's steps planned into `steps`, exactly as
// the save plans them; tracks that would be left out are told as the save
// tells them. Nothing is written; nothing throws.
PreviewResult PreviewSave(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                          Host& host, std::vector<Step>& steps);

}  // namespace tunebelt
