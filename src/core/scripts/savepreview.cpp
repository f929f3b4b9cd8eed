#include "core/scripts/savepreview.h"

#include "core/scripts/saveplan.h"
#include "core/state/printable.h"
#include "platform/fs.h"

namespace tunebelt {

PreviewResult PreviewSave(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                          Host& host, std::vector<Step>& steps) {
  if (!ValidateSave(state, modFolder, host)) return PreviewResult::Refused;
  try {
    const ModLayout layout(modFolder);
    const ModFolderFiles found =
        ReadModFolder(layout, state.ApplicationFolder, options.plan.deleteUnused);
    SavePlan plan = PlanSaveAsFound(state, layout, found, options.plan);
    // The gains are shown as the save would give them: the tracks are
    // measured (and the measurements kept for the save).
    SaveAudio audio(state, options);
    PlanTrackAudio(plan, options.audio, audio.work(), host);
    steps = plan.shown();
    if (plan.scriptTracks.empty()) {
      // The save writes nothing then: only the tracks left out remain.
      std::erase_if(steps, [](const Step& s) { return s.action != Action::LeftOut; });
      host.showMessage(LeftOutText(plan.leftOut) + "\n\nNothing would be written.", kErrorCaption,
                       MessageIcon::Critical);
    } else if (!plan.leftOut.empty()) {
      host.showMessage(LeftOutText(plan.leftOut), kErrorCaption, MessageIcon::Exclamation);
    }
  } catch (const platform::FsError& e) {
    host.showMessage("Preview stopped: " + PrintableName(e.path()) + ": " + e.reason(),
                     kErrorCaption, MessageIcon::Critical);
    return PreviewResult::Failed;
  }
  return PreviewResult::Done;
}

}  // namespace tunebelt
