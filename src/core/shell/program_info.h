#ifndef TRULVEX_CORE_SHELL_PROGRAM_INFO_H_
#define TRULVEX_CORE_SHELL_PROGRAM_INFO_H_

#include <optional>
#include <string>
#include <vector>

namespace trulvex {

// What `trulvex --version` and `trulvex --help` (or -h) print on standard
// output, answered before any window exists so that they work without a
// display; nothing for any other command line. Only the first argument is
// looked at: a file of such a name opens as ./--help.
std::optional<std::string> ProgramInfoText(
    const std::vector<std::string>& arguments);

}  // namespace trulvex

#endif  // TRULVEX_CORE_SHELL_PROGRAM_INFO_H_
