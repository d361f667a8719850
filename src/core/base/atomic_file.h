#ifndef TRULVEX_CORE_BASE_ATOMIC_FILE_H_
#define TRULVEX_CORE_BASE_ATOMIC_FILE_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

namespace trulvex {

// True when the file exists and its owner may not write it: a file the user
// made read-only is never replaced, even by a user who could.
bool IsReadOnlyFile(const std::filesystem::path& path);

// Replaces a file in one step: the new content goes to a temporary file
// beside it, which takes the old file's place only when everything was
// written. Until then, and after any failure, the old file stays whole; an
// abandoned writer removes its temporary file.
class AtomicFileWriter {
 public:
  // Starts the replacement of `target` (which need not exist). Returns
  // null when the target is read-only, a directory, or no temporary file
  // can be made beside it. A device or pipe (say /dev/null) cannot be
  // replaced and holds nothing to keep: it is written directly. `error`,
  // when given, receives why it failed.
  static std::unique_ptr<AtomicFileWriter> Begin(
      const std::filesystem::path& target, std::error_code* error = nullptr);

  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool Write(std::string_view bytes);
  // Copies `length` bytes of `source` from `offset` on.
  bool CopyFrom(std::FILE* source, std::uint64_t offset, std::uint64_t length);
  // Puts the new content in the target's place, keeping its permissions.
  bool Commit();
  // Why the first failed step failed; no error while all went well.
  std::error_code error() const { return error_; }

 private:
  AtomicFileWriter(std::filesystem::path target, std::filesystem::path temp,
                   std::FILE* file);
  bool direct() const { return temp_.empty(); }
  // Records the first failure; returns false for the caller to pass on.
  bool Fail(std::error_code error);

  std::filesystem::path target_;
  std::filesystem::path temp_;
  std::FILE* file_;
  bool failed_ = false;
  std::error_code error_;
  bool committed_ = false;
};

// The file a path names after following symbolic links, so that replacing
// it keeps the link; the path itself when it names nothing yet.
std::filesystem::path ResolveTarget(const std::filesystem::path& path);

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_ATOMIC_FILE_H_
