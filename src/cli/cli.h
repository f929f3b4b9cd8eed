// The terminal front end: the program's main job without a window.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "platform/appfolders.h"

namespace tunebelt::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Runs one command line (without the program name). `folders` says where
// the stock key-binding lists and settings.jst are; `err` gets every message
// the window would show in a box, as "caption: text", and the progress.
int Run(const std::vector<std::string>& args, const platform::AppFolders& folders,
        std::ostream& out, std::ostream& err, bool errIsTerminal);

// Text made safe for a terminal: control characters (C0, DEL and the C1
// range, which terminals read as escape sequences) and bytes that are no
// UTF-8 character become "\xHH" or "\u00HH"; line breaks stay when
// `keepNewlines` is set (messages of several lines), and become "\x0a"
// otherwise (one record per line).
std::string TerminalText(std::string_view text, bool keepNewlines);

}  // namespace tunebelt::cli
