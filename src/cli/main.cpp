#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  trulvex::cli::Streams streams;
  streams.out_is_terminal = isatty(fileno(stdout)) != 0;
  return trulvex::cli::RunCli(args, streams);
}
