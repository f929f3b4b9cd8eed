// frmOptions on Windows: the two starting volumes, each chosen from the
// steps the game's volume keys take, and the audio options (levelled
// loudness, the bit rate of converted copies). The values live in the window model's
// OptionsForm; Apply stores them, Ok and Cancel hide the dialog (the next
// opening shows the same one); closing it through its title bar discards it.
#pragma once

#include <windows.h>

#include "core/window/options.h"
#include "win32/gdi.h"
#include "win32/secondary.h"

namespace tunebelt::win32 {

class OptionsDialog : public WindowBase {
 public:
  OptionsDialog(OptionsForm& form, HWND owner);

  // Shows the dialog modally over its owner, with the form's values.
  void runModal();
  // Closed through its title bar: the owner makes a new one next time.
  bool discarded() const { return discarded_; }

 protected:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void loadBoxes();

  OptionsForm& form_;
  HWND owner_;
  Scale scale_;
  Font labelFont_;
  Font boxFont_;
  bool discarded_ = false;
};

}  // namespace tunebelt::win32
