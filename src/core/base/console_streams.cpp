#include "core/base/console_streams.h"

#include <cstddef>
#include <cstdio>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#else
#include <unistd.h>
#endif

namespace trulvex {

#if defined(_WIN32)

namespace {

constexpr std::size_t kConsoleBuffer = std::size_t{1} << 16;

// A console control handler runs on a thread of its own and can reach no
// object: the code page to give back is kept here.
std::atomic<UINT> code_page_to_restore{0};

BOOL WINAPI RestoreCodePage(DWORD) {
  if (const UINT code_page = code_page_to_restore.load()) {
    SetConsoleOutputCP(code_page);
  }
  return FALSE;  // the next handler, or the default, ends the process
}

bool IsConsole(DWORD standard_handle) {
  const HANDLE handle = GetStdHandle(standard_handle);
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

ConsoleStreams::ConsoleStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  out_is_terminal_ = IsConsole(STD_OUTPUT_HANDLE);
  const bool err_is_console = IsConsole(STD_ERROR_HANDLE);
  // The C runtime hands an unbuffered console one byte at a time, and a
  // console that gets a UTF-8 character in pieces may show each piece as
  // a wrong one (Wine, older Windows): whole pieces of text go out at once.
  if (out_is_terminal_) std::setvbuf(stdout, nullptr, _IOFBF, kConsoleBuffer);
  if (err_is_console) std::setvbuf(stderr, nullptr, _IOFBF, kConsoleBuffer);
  if (out_is_terminal_ || err_is_console) {
    const UINT code_page = GetConsoleOutputCP();
    if (code_page != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
      saved_code_page_ = code_page;
      code_page_to_restore.store(code_page);
      SetConsoleCtrlHandler(RestoreCodePage, TRUE);
    }
  }
}

ConsoleStreams::~ConsoleStreams() {
  if (saved_code_page_ == 0) return;
  std::fflush(stdout);
  std::fflush(stderr);
  SetConsoleOutputCP(saved_code_page_);
  SetConsoleCtrlHandler(RestoreCodePage, FALSE);
  code_page_to_restore.store(0);
}

#else

ConsoleStreams::ConsoleStreams() : out_is_terminal_(isatty(STDOUT_FILENO)) {}

ConsoleStreams::~ConsoleStreams() = default;

#endif

}  // namespace trulvex
