#ifndef TRULVEX_TESTS_TEST_SUPPORT_H_
#define TRULVEX_TESTS_TEST_SUPPORT_H_

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "core/base/cp1251.h"

namespace trulvex::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("trulvex-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const {
    return path_ / name;
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::filesystem::path& path,
                      std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The sorted names in a directory: shows stray temporary files.
inline std::vector<std::string> FileNames(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline std::filesystem::path TestData(std::string_view name) {
  return std::filesystem::path(TRULVEX_TEST_DATA_DIR) / name;
}

struct CliResult {
  int status;
  std::string out, err;
};

// Runs the converter in this process on `input` as standard input.
inline CliResult RunCliOn(const std::vector<std::string>& args,
                          std::string_view input = "",
                          bool out_is_terminal = false) {
  const auto drain = [](std::FILE* file) {
    std::string bytes;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) bytes += static_cast<char>(c);
    std::fclose(file);
    return bytes;
  };
  cli::Streams streams{std::tmpfile(), std::tmpfile(), std::tmpfile(),
                       out_is_terminal};
  std::fwrite(input.data(), 1, input.size(), streams.in);
  std::rewind(streams.in);
  const int status = cli::RunCli(args, streams);
  std::fclose(streams.in);
  return {status, drain(streams.out), drain(streams.err)};
}

// Code page 1251 bytes of a UTF-8 literal, so that tests can be written in
// readable Russian.
inline std::string Cp(std::string_view utf8) {
  return Utf8ToCp1251(std::string(utf8));
}

}  // namespace trulvex::testing

#endif  // TRULVEX_TESTS_TEST_SUPPORT_H_
