// Runs a program of the build as a child process, its output into files:
// fork and exec on POSIX, CreateProcessW on Windows.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <csignal>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "test_util.h"

namespace tunebelt::test {

// The one way the tests run a program of the build.
class Child {
 public:
  // Starts `program` with `args`; standard input is empty, standard output
  // and error go to the files named. An empty `cwd` keeps the current folder.
  // `fileSizeLimit` (POSIX) caps every file it writes, SIGXFSZ ignored, so a
  // write past it fails as on a full disk.
  Child(const std::string& program, const std::vector<std::string>& args,
        const std::string& outPath, const std::string& errPath, const std::string& cwd = {},
        std::optional<std::uint64_t> fileSizeLimit = std::nullopt) {
#ifdef _WIN32
    (void)fileSizeLimit;  // the tests that limit file sizes are POSIX ones
    std::wstring line = quoted(fsPath(program).wstring());
    for (const std::string& a : args) line += L" " + quoted(fsPath(a).wstring());
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE in = ::CreateFileW(L"NUL", GENERIC_READ, kShare, &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE out = ::CreateFileW(fsPath(outPath).wstring().c_str(), GENERIC_WRITE, kShare, &inherit,
                               CREATE_ALWAYS, 0, nullptr);
    HANDLE err = ::CreateFileW(fsPath(errPath).wstring().c_str(), GENERIC_WRITE, kShare, &inherit,
                               CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    std::wstring dir = cwd.empty() ? std::wstring() : fsPath(cwd).wstring();
    if (::CreateProcessW(fsPath(program).wstring().c_str(), line.data(), nullptr, nullptr, TRUE,
                         CREATE_NO_WINDOW, nullptr, dir.empty() ? nullptr : dir.c_str(), &si,
                         &pi)) {
      process_ = pi.hProcess;
      ::CloseHandle(pi.hThread);
    }
    ::CloseHandle(in);
    ::CloseHandle(out);
    ::CloseHandle(err);
#else
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ != 0) return;
    int in = ::open("/dev/null", O_RDONLY);
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || (!cwd.empty() && ::chdir(cwd.c_str()) != 0)) ::_exit(126);
    ::dup2(in, 0), ::dup2(out, 1), ::dup2(err, 2);
    if (fileSizeLimit) {
      ::signal(SIGXFSZ, SIG_IGN);
      const auto limit = static_cast<rlim_t>(*fileSizeLimit);
      struct rlimit rl {
        limit, limit
      };
      ::setrlimit(RLIMIT_FSIZE, &rl);
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
#endif
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    wait();
  }

  // Ends the program at once, as a power cut or a crash would.
  void kill() {
#ifdef _WIN32
    if (process_ != nullptr) ::TerminateProcess(process_, 137);
#else
    if (pid_ > 0) ::kill(pid_, SIGKILL);
#endif
    wait();
  }

  // The exit status when the program ends within `limit`; nothing (and the
  // program still running) otherwise.
  std::optional<int> waitFor(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (running()) {
      if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return wait();
  }

#ifdef _WIN32
  // The system's id of the running program (0 when it did not start).
  DWORD processId() const {
    return process_ != nullptr ? ::GetProcessId(process_) : 0;
  }
#endif

#ifndef _WIN32
  // The most memory the program held at once (its peak resident set), in
  // KiB; known once it has ended.
  long peakKiB() const {
    return peakKiB_;
  }
#endif

  // The exit status; -1 when the program could not start or a signal ended it.
  int wait() {
#ifdef _WIN32
    if (process_ == nullptr) return status_;
    ::WaitForSingleObject(process_, INFINITE);
    DWORD code = 0;
    status_ = ::GetExitCodeProcess(process_, &code) ? static_cast<int>(code) : -1;
    ::CloseHandle(process_);
    process_ = nullptr;
#else
    if (pid_ <= 0) return status_;
    int raw = 0;
    struct rusage usage {};
    ::wait4(pid_, &raw, 0, &usage);
    ended(raw, usage);
#endif
    return status_;
  }

 private:
  bool running() {
#ifdef _WIN32
    return process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
#else
    if (pid_ <= 0) return false;
    int raw = 0;
    struct rusage usage {};
    if (::wait4(pid_, &raw, WNOHANG, &usage) != pid_) return true;
    ended(raw, usage);
    return false;
#endif
  }

#ifndef _WIN32
  void ended(int raw, const struct rusage& usage) {
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    peakKiB_ = usage.ru_maxrss;
    pid_ = -1;
  }
#endif

#ifdef _WIN32
  // One argument as the C runtime's command-line parser reads it back.
  static std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
      backslashes = 0;
      out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
  }
  HANDLE process_ = nullptr;
#else
  pid_t pid_ = -1;
  long peakKiB_ = 0;
#endif
  int status_ = -1;
};

}  // namespace tunebelt::test
