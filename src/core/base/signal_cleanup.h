#ifndef TRULVEX_CORE_BASE_SIGNAL_CLEANUP_H_
#define TRULVEX_CORE_BASE_SIGNAL_CLEANUP_H_

#include <filesystem>

#if !defined(_WIN32)
#include <signal.h>
#endif

namespace trulvex {

// Makes SIGINT, SIGTERM and SIGHUP remove the helper files registered
// below (temporary files, lock files) before the process ends as the
// signal says; on Windows Ctrl+C, Ctrl+Break, a closed console window,
// logoff and shutdown. The command-line converter calls it once at start.
void RemoveHelperFilesOnSignal();

// Registers a helper file for removal on those signals while the object
// lives. Registration never fails visibly: a path that does not fit the
// fixed table (see the .cpp) is simply not removed by a signal.
class SignalCleanup {
 public:
  explicit SignalCleanup(const std::filesystem::path& path);
  ~SignalCleanup();
  SignalCleanup(const SignalCleanup&) = delete;
  SignalCleanup& operator=(const SignalCleanup&) = delete;

 private:
  int slot_ = -1;
};

// Holds SIGINT, SIGTERM and SIGHUP back while it lives, so that a helper
// file is never made without being registered: a signal that comes in
// between is delivered once it ends, and the file is removed.
class HeldSignals {
 public:
  HeldSignals();
  ~HeldSignals();
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
#if !defined(_WIN32)
  sigset_t previous_;
#endif
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_SIGNAL_CLEANUP_H_
