#include <unistd.h>

#include <clocale>
#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  std::vector<std::string> args(argv + 1, argv + argc);
  return tunebelt::cli::Run(args, tunebelt::cli::ExecutableFolder(), std::cout, std::cerr,
                            ::isatty(STDERR_FILENO) != 0);
}
