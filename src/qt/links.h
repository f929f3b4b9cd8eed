// The commands that reach outside the program: the two web pages and the
// read-me file, each handed to the desktop's default handler.
#pragma once

#include <string>
#include <string_view>

#include "core/state/host.h"
#include "core/state/startup.h"
#include "core/window/windowmodel.h"

namespace tunebelt::qt {

using tunebelt::kArtistPageAddress;
using tunebelt::kProductPageAddress;
using tunebelt::kReadmeFile;

// Opens the address with a "/" appended in the web browser (an address
// without a scheme is a web address). Whether that worked is not examined.
void OpenWebPage(std::string_view address);

// Opens readme.txt in the application folder with the desktop's handler for
// text files. A missing file, or one that cannot be opened, is told through
// the host; returns whether it was opened.
bool OpenReadme(const std::string& applicationFolder, Prompts& host);

}  // namespace tunebelt::qt
