#include "core/base/command_line.h"

#if defined(_WIN32)
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "core/base/wide_text.h"
#endif

namespace trulvex {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
#if defined(_WIN32)
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide != nullptr) {
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
      args.push_back(WideToUtf8(wide[i]));
    }
    LocalFree(wide);
    return args;
  }
#endif
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace trulvex
