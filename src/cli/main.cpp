#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <iostream>

#include "cli/cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "platform/codepage.h"
#endif

#ifdef _WIN32
namespace {

// The console's output code page as the program found it: the console
// belongs to whoever started the program, so it gets its code page back
// however the program ends (return, exit, Ctrl+C, closing the console).
UINT consoleCodePageAtStart = 0;

void restoreConsoleCodePage() {
  if (consoleCodePageAtStart != 0) ::SetConsoleOutputCP(consoleCodePageAtStart);
}

BOOL WINAPI restoreOnSignal(DWORD) {
  restoreConsoleCodePage();
  return FALSE;  // the default handling ends the program
}

}  // namespace
#endif

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
  // The C runtime hands the arguments over in the ANSI code page, which
  // cannot spell every file name: the wide command line can. The terminal
  // shows UTF-8, the program's own text.
  int count = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    args.clear();
    for (int i = 1; i < count; ++i) args.push_back(tunebelt::platform::fromWide(wide[i]));
    ::LocalFree(wide);
  }
  consoleCodePageAtStart = ::GetConsoleOutputCP();
  if (consoleCodePageAtStart != 0) {
    std::atexit(restoreConsoleCodePage);
    ::SetConsoleCtrlHandler(restoreOnSignal, TRUE);
    ::SetConsoleOutputCP(CP_UTF8);
  }
  // Lines end in LF as on every system; no CR is slipped in before them.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
#endif
  const auto folders = tunebelt::platform::findAppFolders(tunebelt::platform::executableFolder(),
                                                          /*createSettingsFolder=*/false);
  return tunebelt::cli::Run(args, folders, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0);
}
