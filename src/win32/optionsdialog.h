// frmOptions on Windows: the two starting volumes. The boxes are kept in
// range while the player types; Apply stores them in the state and in the
// settings file. Ok and Cancel hide the dialog (the next opening shows the
// same one); closing it through its title bar discards it.
#pragma once

#include <windows.h>

#include <string>

#include "core/state/host.h"
#include "core/state/state.h"
#include "win32/gdi.h"
#include "win32/secondary.h"

namespace tunebelt::win32 {

class OptionsDialog : public WindowBase {
 public:
  OptionsDialog(ProgramState& state, std::string settingsPath, Prompts& prompts, HWND owner);

  // Shows the dialog modally over its owner.
  void runModal();
  // Closed through its title bar: the owner makes a new one next time.
  bool discarded() const { return discarded_; }

 protected:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void loadBoxes();
  void validate(HWND box);
  void apply();

  ProgramState& state_;
  std::string settingsPath_;
  Prompts& prompts_;
  HWND owner_;
  Scale scale_;
  Font labelFont_;
  Font boxFont_;
  Font noteFont_;
  bool validating_ = false;
  bool discarded_ = false;
};

}  // namespace tunebelt::win32
