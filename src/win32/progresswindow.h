// frmScript on Windows: the progress window of Save Script. It does not
// block the main window, and stays open showing "Done" once a save has
// ended; its title bar's close hides it.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "core/state/host.h"
#include "core/window/view.h"
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
  // The last look of a save: the bar at the tracks the game got; a save that
  // did not get them all shows its own words in the last stage's place and
  // the bar's text over the bar.
  void showEnd(const SaveEndState& end);
  // Whether the stage picture (kImgGen ... kImgCompb) shows.
  bool pictureShown(int id) const;
  // The words shown instead of "Complete" (empty for a full save) and over
  // the bar.
  const std::string& endWords() const { return endWords_; }
  const std::string& barText() const { return barText_; }

 protected:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void paint();
  static LRESULT CALLBACK barProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

  Scale scale_;
  // Per stage: 0 hidden, 1 the plain words, 2 the lit ones.
  std::array<int, 3> stages_{1, 0, 0};
  std::array<Picture, 6> pictures_;  // plain and lit of each stage, made at the DPI
  Font scriptFont_;
  Font barFont_;
  std::string endWords_;
  Picture endPicture_;
  std::string barText_;
};

}  // namespace tunebelt::win32
