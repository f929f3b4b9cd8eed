// The "MP3 Player Controls" section at the end of gfx/shell/kb_act.lst.
#pragma once

#include <string>
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

// The list's lines without empty lines and without a controls section: a
// line holding "MP3 Player Controls" is a section's heading; the line kept
// before it (the rule above), the line after it (the rule below) and the
// lines up to the next line whose characters 2 to 6 read "blank" go with it.
// `found` tells whether there was a heading.
std::vector<std::string> WithoutControlsSection(const std::vector<std::string>& lines,
                                                bool* found = nullptr);

// The new list's lines: the old list's lines without empty lines and without
// an old controls section, then the section.
std::vector<std::string> RewriteKeyBindings(const std::vector<std::string>& oldLines);

// The new list file: the rewritten lines, each followed by CR LF.
std::string KeyBindingsText(const std::vector<std::string>& oldLines);

}  // namespace tunebelt
