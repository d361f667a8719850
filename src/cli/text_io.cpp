#include "cli/text_io.h"

#include <filesystem>
#include <utility>

namespace trulvex::cli {
namespace {

std::optional<TextEncoding> EncodingOf(InputEncoding encoding) {
  switch (encoding) {
    case InputEncoding::kCp1251:
      return TextEncoding::kCp1251;
    case InputEncoding::kUtf8:
      return TextEncoding::kUtf8;
    case InputEncoding::kAuto:
      break;
  }
  return std::nullopt;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, error);
}

}  // namespace

std::optional<InputText> OpenInput(const std::filesystem::path& path,
                                   std::FILE* stdin_file,
                                   InputEncoding encoding,
                                   const std::filesystem::path& output,
                                   std::error_code* error) {
  InputText input;
  input.source = path.empty() ? ByteSource::FromStream(stdin_file)
                              : ByteSource::Open(path, error);
  if (!input.source) return std::nullopt;
  if (SameFile(path, output)) {
    std::string whole;
    for (std::string_view chunk; !(chunk = input.source->Next()).empty();) {
      whole += chunk;
    }
    if (input.source->error()) {
      *error = input.source->error();
      return std::nullopt;
    }
    input.source = ByteSource::FromBytes(std::move(whole));
  }
  input.reader = std::make_unique<DecodingTextReader>(input.source.get(),
                                                      EncodingOf(encoding));
  return input;
}

std::string ArgumentToCp1251(const std::string& argument) {
  if (!IsValidUtf8(argument)) return argument;
  return Utf8ToCp1251(argument);
}

}  // namespace trulvex::cli
