#ifndef TRULVEX_CLI_CLI_H_
#define TRULVEX_CLI_CLI_H_

#include <cstdio>
#include <string>
#include <vector>

namespace trulvex::cli {

enum ExitCode {
  kExitOk = 0,
  kExitRefused = 1,  // the conversion was refused; nothing was written
  kExitUsage = 2,
  kExitFileError = 3,
};

struct Streams {
  std::FILE* in = stdin;
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  // Standard output is a terminal: the table then defaults to UTF-8.
  bool out_is_terminal = false;
};

// Runs the converter on the arguments after the program name.
int RunCli(const std::vector<std::string>& args, const Streams& streams);

}  // namespace trulvex::cli

#endif  // TRULVEX_CLI_CLI_H_
