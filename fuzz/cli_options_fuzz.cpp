// The command-line argument parser on any argument list (arguments split
// at NUL bytes): it never fails other than with a usage message, and the
// same arguments always give the same result.
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes,
                                      std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(bytes[i]));
    }
  }
  if (size == 0) args.clear();
  const trulvex::cli::ParseResult first = trulvex::cli::ParseArguments(args);
  const trulvex::cli::ParseResult second = trulvex::cli::ParseArguments(args);
  FUZZ_CHECK(first.error == second.error);
  FUZZ_CHECK(first.options.command == second.options.command);
  FUZZ_CHECK(first.options.input == second.options.input &&
             first.options.output == second.options.output &&
             first.options.overrides == second.options.overrides &&
             first.options.operands == second.options.operands);
  return 0;
}
