// The system's code page for text files and the settings file. On POSIX it
// is UTF-8, the program's own encoding, so both conversions are the identity;
// a Windows build converts to and from the ANSI code page here.
#pragma once

#include <string>
#include <string_view>

namespace tunebelt::platform {

inline std::string toCodePage(std::string_view utf8) { return std::string(utf8); }
inline std::string fromCodePage(std::string_view bytes) { return std::string(bytes); }

}  // namespace tunebelt::platform
