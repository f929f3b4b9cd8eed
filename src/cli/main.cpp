#include <unistd.h>

#include <clocale>
#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  std::vector<std::string> args(argv + 1, argv + argc);
  const auto folders = tunebelt::platform::findAppFolders(tunebelt::platform::executableFolder(),
                                                          /*createSettingsFolder=*/false);
  return tunebelt::cli::Run(args, folders, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0);
}
