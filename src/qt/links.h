// The commands that reach outside the program: a web page and a file, each
// handed to the desktop's default handler. Whether that worked is returned;
// the window model tells the player.
#pragma once

#include <string>
#include <string_view>

namespace tunebelt::qt {

// Opens the address in the web browser (an address without a scheme is a
// web address); false when nothing took it.
bool OpenWebPage(std::string_view address);

// Opens the file with the desktop's handler for its kind; false when
// nothing took it.
bool OpenDocument(const std::string& path);

}  // namespace tunebelt::qt
