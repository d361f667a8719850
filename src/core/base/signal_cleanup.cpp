#include "core/base/signal_cleanup.h"

#include <algorithm>
#include <atomic>
#include <csignal>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

namespace trulvex {
namespace {

// A signal handler can reach nothing but static storage, so this table is
// the one process-wide mutable state of the core: a handful of slots, each
// claimed by one writer and read by the handler only once it is complete.
constexpr int kSlots = 16;
constexpr std::size_t kPathUnits = 4096;

struct Slot {
  std::atomic<bool> claimed{false};
  std::atomic<bool> ready{false};
  // The system's own form: bytes on POSIX, UTF-16 on Windows.
  std::filesystem::path::value_type path[kPathUnits];
};

Slot g_slots[kSlots];

#if defined(_WIN32)
// Ctrl+C, Ctrl+Break, a closed console window, logoff and shutdown. The
// handler runs on a thread of its own; a file the writer still has open
// goes when the process ends, which the default handler then brings.
BOOL WINAPI RemoveOnControlEvent(DWORD) {
  for (Slot& slot : g_slots) {
    if (slot.ready.load()) DeleteFileW(slot.path);
  }
  return FALSE;
}
#else
extern "C" void RemoveAndReraise(int signal_number) {
  for (Slot& slot : g_slots) {
    if (slot.ready.load()) unlink(slot.path);
  }
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}
#endif

}  // namespace

void RemoveHelperFilesOnSignal() {
#if defined(_WIN32)
  SetConsoleCtrlHandler(RemoveOnControlEvent, TRUE);
#else
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    action.sa_handler = RemoveAndReraise;
    sigemptyset(&action.sa_mask);
    // An ignored signal (nohup) stays ignored.
    struct sigaction old {};
    sigaction(signal_number, nullptr, &old);
    if (old.sa_handler != SIG_IGN) sigaction(signal_number, &action, nullptr);
  }
#endif
}

SignalCleanup::SignalCleanup(const std::filesystem::path& path) {
  const auto& text = path.native();
  if (text.size() >= kPathUnits) return;
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (g_slots[i].claimed.compare_exchange_strong(expected, true)) {
      std::copy(text.c_str(), text.c_str() + text.size() + 1, g_slots[i].path);
      g_slots[i].ready.store(true);
      slot_ = i;
      return;
    }
  }
}

SignalCleanup::~SignalCleanup() {
  if (slot_ < 0) return;
  g_slots[slot_].ready.store(false);
  g_slots[slot_].claimed.store(false);
}

HeldSignals::HeldSignals() {
#if !defined(_WIN32)
  sigset_t held;
  sigemptyset(&held);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    sigaddset(&held, signal_number);
  }
  pthread_sigmask(SIG_BLOCK, &held, &previous_);
#endif
}

HeldSignals::~HeldSignals() {
#if !defined(_WIN32)
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
#endif
}

}  // namespace trulvex
