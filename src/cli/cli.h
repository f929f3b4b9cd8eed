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

}  // namespace tunebelt::cli
