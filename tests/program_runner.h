// Runs a built program of the project as the tests need it: with arguments,
// in a folder, its output collected, optionally with a file-size limit, a
// time limit, or left running to be killed.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "test_util.h"

namespace tunebelt::test {

struct ProgramOptions {
  std::string cwd;                      // empty: the test's own folder
  std::optional<rlim_t> fileSizeLimit;  // RLIMIT_FSIZE, SIGXFSZ ignored
  // How long it may run before it is killed and the run counts as hung.
  std::chrono::seconds timeLimit{60};
};

struct ProgramResult {
  int status = -1;  // exit status, or -1 when a signal ended it
  bool hung = false;
  std::string out, err;
};

// Starts the program with standard input from /dev/null and its output into
// two files of `scratch`; returns its process id.
inline pid_t StartProgram(const std::string& binary, const std::vector<std::string>& args,
                          const TempDir& scratch, const ProgramOptions& options = {}) {
  std::vector<std::string> all = {binary};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string outPath = scratch / "out.txt", errPath = scratch / "err.txt";
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  int in = ::open("/dev/null", O_RDONLY);
  int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0) ::_exit(126);
  ::dup2(in, 0), ::dup2(out, 1), ::dup2(err, 2);
  if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(126);
  if (options.fileSizeLimit) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl {
      *options.fileSizeLimit, *options.fileSizeLimit
    };
    ::setrlimit(RLIMIT_FSIZE, &rl);
  }
  ::execv(binary.c_str(), argv.data());
  ::_exit(127);
}

// Runs the program to its end (or its time limit) and collects its output.
inline ProgramResult RunProgram(const std::string& binary, const std::vector<std::string>& args,
                                const TempDir& scratch, const ProgramOptions& options = {}) {
  const pid_t pid = StartProgram(binary, args, scratch, options);
  const auto deadline = std::chrono::steady_clock::now() + options.timeLimit;
  ProgramResult result;
  int raw = 0;
  while (::waitpid(pid, &raw, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      result.hung = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!result.hung) result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = readFile(scratch / "out.txt");
  result.err = readFile(scratch / "err.txt");
  return result;
}

}  // namespace tunebelt::test
