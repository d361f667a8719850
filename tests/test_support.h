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
#include "core/base/open_file.h"
#include "core/base/path_bytes.h"
#include "core/base/text_reader.h"
#include "core/base/wide_text.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#endif

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

// Whether this system lets a test make symbolic links: Windows wants a
// privilege or developer mode for them, and Wine makes none.
inline bool SymlinksAvailable() {
  static const bool available = [] {
    TempDir dir;
    std::error_code error;
    std::filesystem::create_symlink("target", dir / "link", error);
    return !error;
  }();
  return available;
}

inline constexpr char kNoSymlinks[] =
    "no symbolic links here (Windows without the privilege, or Wine)";

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
  cli::Streams streams{OpenTemporaryFile(), OpenTemporaryFile(),
                       OpenTemporaryFile(), out_is_terminal};
  std::fwrite(input.data(), 1, input.size(), streams.in);
  std::rewind(streams.in);
  const int status = cli::RunCli(args, streams);
  std::fclose(streams.in);
  return {status, drain(streams.out), drain(streams.err)};
}

// Sets a variable of this process's environment, which the programs it
// starts inherit; on Windows in UTF-16, so that any name survives.
inline void SetEnvironment(const char* name,
                           const std::filesystem::path& value) {
#if defined(_WIN32)
  _wputenv_s(Utf8ToWide(name).c_str(), value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

inline std::filesystem::path EnvironmentValue(const char* name) {
#if defined(_WIN32)
  const wchar_t* value = _wgetenv(Utf8ToWide(name).c_str());
#else
  const char* value = std::getenv(name);
#endif
  return value != nullptr ? std::filesystem::path(value)
                          : std::filesystem::path();
}

// The system shell's name for the empty device.
#if defined(_WIN32)
inline constexpr char kNullDevice[] = "NUL";
#else
inline constexpr char kNullDevice[] = "/dev/null";
#endif

// A path as one word of the system shell (sh, or cmd.exe on Windows).
inline std::string ShellQuote(const std::filesystem::path& path) {
#if defined(_WIN32)
  return "\"" + PathBytes(path) + "\"";
#else
  return "'" + PathBytes(path) + "'";
#endif
}

#if defined(TRULVEX_CLI_PATH)
// Runs the converter program through the system shell, so that
// `arguments` may redirect its streams and `before` may start a pipe into
// it ("cat x | "); returns its exit status, -1 when it did not exit
// normally.
inline int RunCliProgram(const std::string& arguments,
                         const std::string& before = "") {
  const std::string command =
      before + ShellQuote(TRULVEX_CLI_PATH) + " " + arguments;
#if defined(_WIN32)
  // cmd.exe drops the outermost quotes of a command that starts with one.
  return _wsystem(Utf8ToWide("\"" + command + "\"").c_str());
#else
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
}
#endif

// A FIFO at `path`: a file whose reader waits until someone writes. False
// where folders hold none (Windows).
inline bool MakeFifo(const std::filesystem::path& path) {
#if defined(_WIN32)
  (void)path;
  return false;
#else
  return mkfifo(path.c_str(), 0600) == 0;
#endif
}

// Code page 1251 bytes of a UTF-8 literal, so that tests can be written in
// readable Russian.
inline std::string Cp(std::string_view utf8) {
  return Utf8ToCp1251(std::string(utf8));
}

// A text in memory handed over in chunks of random sizes from one byte up
// to `max_chunk`, as a pipe might hand it; `once` hides its length and
// refuses a second reading. Counts what the look ahead for LF examines.
class ChunkedTextReader : public TextReader {
 public:
  ChunkedTextReader(std::string text, std::uint32_t seed, std::size_t max_chunk,
                    bool once = false)
      : text_(std::move(text)),
        random_(seed),
        max_chunk_(max_chunk),
        once_(once) {}

  std::string_view Next() override {
    // Single bytes now and then, whatever the largest size.
    const std::size_t size =
        random_() % 4 == 0 ? 1 : 1 + random_() % max_chunk_;
    const std::string_view next = std::string_view(text_).substr(at_, size);
    at_ += next.size();
    return next;
  }
  bool LfFollows() override {
    ++lf_questions;
    const std::size_t lf = text_.find('\n', at_);
    scanned += (lf == std::string::npos ? text_.size() : lf + 1) - at_;
    return lf != std::string::npos;
  }
  bool failed() const override { return false; }
  std::optional<std::uint64_t> LengthBound() const override {
    if (once_) return std::nullopt;
    return text_.size();
  }
  bool Rewind() override {
    if (once_) return false;
    at_ = 0;
    return true;
  }

  int lf_questions = 0;
  std::size_t scanned = 0;

 private:
  std::string text_;
  std::mt19937 random_;
  std::size_t max_chunk_;
  bool once_;
  std::size_t at_ = 0;
};

}  // namespace trulvex::testing

#endif  // TRULVEX_TESTS_TEST_SUPPORT_H_
