#ifndef TRULVEX_TESTS_CHILD_PROCESS_H_
#define TRULVEX_TESTS_CHILD_PROCESS_H_

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/base/path_bytes.h"

#if defined(_WIN32)
#include <windows.h>

#include "core/base/wide_text.h"
#else
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace trulvex::testing {

// Whether the tests run under Wine, which lacks some of Windows (a job's
// memory limit among them).
inline bool UnderWine() {
#if defined(_WIN32)
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") !=
         nullptr;
#else
  return false;
#endif
}

struct ChildOptions {
  // Files for standard input, output and error; empty: the null device.
  std::filesystem::path in = {}, out = {}, err = {};
  // The most memory the program may take, in bytes; 0: no limit. POSIX
  // limits its address space, Windows its committed memory (a job).
  std::uint64_t memory_limit = 0;
  // Windows: a process group of its own, so that Interrupt can reach it.
  bool interruptible = false;
  // POSIX: the user (and group) the program runs as, for a caller without
  // root's rights; -1: this process's own. Needs root.
  int run_as = -1;
};

// A program a test starts, to kill it half way or to hold it to a memory
// limit; the same on POSIX (fork and exec) and on Windows (CreateProcess).
// The destructor kills a child still running.
class ChildProcess {
 public:
  ChildProcess(const std::filesystem::path& program,
               const std::vector<std::string>& args,
               const ChildOptions& options = {}) {
#if defined(_WIN32)
    Start(program, args, options);
#else
    StartPosix(program, args, options);
#endif
  }
  ~ChildProcess() {
    if (running_) {
      Kill();
      Wait();
    }
#if defined(_WIN32)
    if (job_ != nullptr) CloseHandle(job_);
#endif
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return started_; }

  // Ends the program at once, as SIGKILL does: no handler runs.
  void Kill() {
    if (!running_) return;
#if defined(_WIN32)
    TerminateProcess(process_, kKilledStatus);
#else
    kill(pid_, SIGKILL);
#endif
  }

  // Interrupts the program as Ctrl+C would: SIGINT on POSIX, Ctrl+Break on
  // Windows (the one console event a program can send another; it needs
  // `interruptible` and a console the two share). False when it cannot.
  bool Interrupt() {
    if (!running_) return false;
#if defined(_WIN32)
    return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, process_id_) != 0;
#else
    return kill(pid_, SIGINT) == 0;
#endif
  }

  // Waits for the end; the exit status, -1 when killed or crashed.
  int Wait() {
    if (!running_) return status_;
    running_ = false;
#if defined(_WIN32)
    WaitForSingleObject(process_, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    // An unhandled exception ends a process with its NTSTATUS (0xC...).
    status_ = code == kKilledStatus || code >= 0xC0000000u
                  ? -1
                  : static_cast<int>(code);
#else
    int raw = 0;
    waitpid(pid_, &raw, 0);
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    return status_;
  }

 private:
#if defined(_WIN32)
  static constexpr DWORD kKilledStatus = 0xDEAD;

  // One argument as CommandLineToArgvW reads it back.
  static std::wstring Quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
      return arg;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
      backslashes = 0;
      quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
  }

  static HANDLE Inherited(const std::filesystem::path& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return CreateFileW(path.empty() ? L"NUL" : path.c_str(),
                       write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  void Start(const std::filesystem::path& program,
             const std::vector<std::string>& args,
             const ChildOptions& options) {
    std::wstring command = Quoted(program.native());
    for (const std::string& arg : args)
      command += L" " + Quoted(Utf8ToWide(arg));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = Inherited(options.in, false);
    startup.hStdOutput = Inherited(options.out, true);
    startup.hStdError = Inherited(options.err, true);
    PROCESS_INFORMATION process{};
    started_ = CreateProcessW(
                   program.c_str(), command.data(), nullptr, nullptr, TRUE,
                   CREATE_SUSPENDED |
                       (options.interruptible ? CREATE_NEW_PROCESS_GROUP : 0),
                   nullptr, nullptr, &startup, &process) != 0;
    for (HANDLE handle :
         {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
      if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    if (!started_) return;
    if (options.memory_limit != 0) {
      job_ = CreateJobObjectW(nullptr, nullptr);
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit{};
      limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
      limit.ProcessMemoryLimit = static_cast<SIZE_T>(options.memory_limit);
      SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limit,
                              sizeof(limit));
      AssignProcessToJobObject(job_, process.hProcess);
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    process_ = process.hProcess;
    process_id_ = process.dwProcessId;
    running_ = true;
  }

  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
  HANDLE job_ = nullptr;
#else
  static void Redirect(const std::filesystem::path& path, int fd, int flags) {
    const int opened =
        open(path.empty() ? "/dev/null" : path.c_str(), flags, 0644);
    if (opened < 0) _exit(127);
    dup2(opened, fd);
    close(opened);
  }

  void StartPosix(const std::filesystem::path& program,
                  const std::vector<std::string>& args,
                  const ChildOptions& options) {
    std::vector<std::string> argv_text = {program.native()};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argv_text) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      Redirect(options.in, STDIN_FILENO, O_RDONLY);
      Redirect(options.out, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
      Redirect(options.err, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
      if (options.memory_limit != 0) {
        const rlim_t bytes = static_cast<rlim_t>(options.memory_limit);
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_AS, &limit);
      }
      if (options.run_as >= 0 &&
          (setgroups(0, nullptr) != 0 ||
           setgid(static_cast<gid_t>(options.run_as)) != 0 ||
           setuid(static_cast<uid_t>(options.run_as)) != 0)) {
        _exit(126);
      }
      execv(argv[0], argv.data());
      _exit(127);
    }
    started_ = pid_ > 0;
    running_ = started_;
  }

  pid_t pid_ = -1;
#endif
  bool started_ = false;
  bool running_ = false;
  int status_ = -1;
};

// Runs `body(i)` for i in 0..count-1 all at once, each in a process of its
// own where the system can copy one (fork); on Windows each in a thread,
// which a file lock keeps apart as it keeps processes apart. The number
// of runs that returned false.
inline int RunAtOnce(int count, const std::function<bool(int)>& body) {
  int failed = 0;
#if defined(_WIN32)
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int i = 0; i < count; ++i) {
    threads.emplace_back([&body, &failures, i] {
      if (!body(i)) ++failures;
    });
  }
  for (std::thread& thread : threads) thread.join();
  failed = failures.load();
#else
  std::vector<pid_t> children;
  for (int i = 0; i < count; ++i) {
    const pid_t child = fork();
    if (child == 0) _exit(body(i) ? 0 : 1);
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      ++failed;
    }
  }
#endif
  return failed;
}

}  // namespace trulvex::testing

#endif  // TRULVEX_TESTS_CHILD_PROCESS_H_
