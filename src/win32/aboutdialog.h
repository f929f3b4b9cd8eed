// frmAbout on Windows: the product's name and slogan and the credits roll,
// moved every 40 ms by a timer. Closed through its title bar, it is
// discarded: the next opening starts the roll again.
#pragma once

#include <windows.h>

#include <string>

#include "core/state/credits.h"
#include "win32/gdi.h"
#include "win32/secondary.h"

namespace tunebelt::win32 {

class AboutDialog : public WindowBase {
 public:
  AboutDialog(const std::string& applicationFolder, HWND owner);

  void runModal();
  bool discarded() const { return discarded_; }
  const CreditsRoll& roll() const { return roll_; }
  // One tick of the roll, as the timer gives it.
  void tick();

 protected:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void paint();

  HWND owner_;
  Scale scale_;
  CreditsRoll roll_;
  bool discarded_ = false;
};

}  // namespace tunebelt::win32
