#ifndef TRULVEX_CORE_BASE_COMMAND_LINE_H_
#define TRULVEX_CORE_BASE_COMMAND_LINE_H_

#include <string>
#include <vector>

namespace trulvex {

// The arguments after the program name, as UTF-8. On POSIX these are
// `argv` as given; on Windows `argv` holds them in the ANSI code page,
// which loses every name outside it, so they are taken from the UTF-16
// command line instead.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_COMMAND_LINE_H_
