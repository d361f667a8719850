#ifndef TRULVEX_CORE_BASE_CONSOLE_STREAMS_H_
#define TRULVEX_CORE_BASE_CONSOLE_STREAMS_H_

namespace trulvex {

// The standard streams of a command-line program that reads and writes
// bytes. On Windows, standard input, output and error are put in binary
// mode (a table's CR LF stays CR LF, a Ctrl+Z in the input is a byte), and
// while the object lives a console shows UTF-8: its output code page is
// UTF-8, and is set back on destruction, on Ctrl+C and when the window is
// closed; what goes to a console is buffered until a flush or the
// destruction, so that no character reaches it in pieces. A file or pipe
// gets the bytes unchanged. On POSIX nothing changes.
class ConsoleStreams {
 public:
  ConsoleStreams();
  ~ConsoleStreams();
  ConsoleStreams(const ConsoleStreams&) = delete;
  ConsoleStreams& operator=(const ConsoleStreams&) = delete;

  // Standard output is a terminal (on Windows a console; the NUL device,
  // which the C runtime calls a terminal, is not one).
  bool out_is_terminal() const { return out_is_terminal_; }

 private:
  bool out_is_terminal_ = false;
  [[maybe_unused]] unsigned int saved_code_page_ = 0;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_CONSOLE_STREAMS_H_
