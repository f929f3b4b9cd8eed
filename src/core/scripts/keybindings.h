// The "MP3 Player Controls" section at the end of gfx/shell/kb_act.lst.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tunebelt {

// The mod names that have a stock list in the application folder's kb_act/.
inline const std::vector<std::string>& StockListMods() {
  static const std::vector<std::string> mods = {"cstrike", "dod", "dmc",   "valve",
                                                "gearbox", "tfc", "czero", "czeror"};
  return mods;
}

// The 14 lines of the controls section, without line ends.
std::vector<std::string> ControlsSection();

// The list's bytes without the controls sections a save wrote: each run of
// 14 whole lines that are exactly the section's lines, whatever ends them
// (CR LF, LF, CR, or the end of the file), goes with its line ends.
// Everything else, blank lines and line ends included, stays byte for byte.
// `found` tells whether there was such a section.
std::string WithoutControlsSection(std::string_view text, bool* found = nullptr);

// The new list file: the old list without its controls sections, then the
// section, each of its lines ended by CR LF. A last kept line without a line
// end gets the kept lines' own line end first (their first one; CR LF when
// they have none).
std::string KeyBindingsText(std::string_view oldText);

}  // namespace tunebelt
