// frmScript on Windows: the progress window of Save Script. It does not
// block the main window, and stays open showing "Done" once a save has
// ended; its title bar's close hides it.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "core/state/host.h"
#include "win32/gdi.h"
#include "win32/secondary.h"

namespace tunebelt::win32 {

inline constexpr const wchar_t* kProgressCaption = L"Tunebelt - Generating...";

class ProgressWindow : public WindowBase {
 public:
  explicit ProgressWindow(HWND owner);

  // Shows it; one that is not showing yet opens centred over `owner`,
  // below its menu bar, inside the screen.
  void showOver(HWND owner);
  // Lights the current stage. The generating stage begins a save, so it
  // also puts the caption and the bar back to their start.
  void setStage(Stage stage);
  void setScriptText(const std::string& text);
  void setMaximum(int maximum);
  void setValue(int value);
  // Whether the stage picture (kImgGen ... kImgCompb) shows.
  bool pictureShown(int id) const;

 protected:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void paint();

  Scale scale_;
  // Per stage: 0 hidden, 1 the plain words, 2 the lit ones.
  std::array<int, 3> stages_{1, 0, 0};
  std::array<Picture, 6> pictures_;  // plain and lit of each stage, made at the DPI
  Font scriptFont_;
};

}  // namespace tunebelt::win32
