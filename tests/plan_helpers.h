// Save plans for the tests of the single steps of a save: for a mod folder
// taken to hold nothing yet, or as read from the disk.
#pragma once

#include <string>
#include <vector>

#include "core/scripts/saveplan.h"

namespace tunebelt::test {

inline SavePlan PlanInto(const ProgramState& state, const std::string& modFolder,
                         const ModFolderFiles& found = {}, PlanOptions options = {}) {
  return PlanSave(state, ModLayout(modFolder), found, options);
}

// What Save Script plans for the state after reading the mod folder and the
// tracks' files.
inline SavePlan PlanFromDisk(const ProgramState& state, const std::string& modFolder,
                             const std::string& applicationFolder = {}) {
  return PlanSaveAsFound(state, ModLayout(modFolder),
                         ReadModFolder(ModLayout(modFolder), applicationFolder), {});
}

}  // namespace tunebelt::test
