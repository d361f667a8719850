#ifndef TRULVEX_CORE_BASE_BYTE_SOURCE_H_
#define TRULVEX_CORE_BASE_BYTE_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace trulvex {

// Shown the bytes ahead of the reading, piece by piece, with the offset of
// each piece's first byte; returns false when it has seen enough.
using LookAheadFn =
    std::function<bool(std::string_view bytes, std::uint64_t offset)>;

// The bytes of a file, a pipe, a device or a memory block, handed out once
// from start to end in chunks of a fixed size, whatever their length. A
// look ahead shows the bytes that follow without taking them: a file is
// read there and back; what a pipe hands over early is kept for the
// reading, in memory up to a few megabytes and beyond that in an unnamed
// temporary file, so that memory stays bounded however far the look goes.
class ByteSource {
 public:
  static constexpr std::size_t kChunk = std::size_t{256} << 10;

  // Opens a file, FIFO or device; null, with the reason in `error`, when it
  // cannot be read (a directory among them).
  static std::unique_ptr<ByteSource> Open(const std::filesystem::path& path,
                                          std::error_code* error);
  // Reads an open stream (standard input) from where it stands; the stream
  // stays open. A stream on a regular file can be rewound and looked into.
  static std::unique_ptr<ByteSource> FromStream(std::FILE* stream);
  // Bytes in memory, handed out `chunk` at a time.
  static std::unique_ptr<ByteSource> FromBytes(std::string bytes,
                                               std::size_t chunk = kChunk);

  virtual ~ByteSource() = default;

  // The next chunk, valid until the next call; empty at the end and after a
  // failure.
  virtual std::string_view Next() = 0;
  // Shows `look` the bytes after those handed out so far, until it returns
  // false or the bytes end.
  virtual void LookAhead(const LookAheadFn& look) = 0;
  // The number of bytes a regular file or a memory block holds.
  virtual std::optional<std::uint64_t> size() const { return std::nullopt; }
  // Starts again from the first byte; false for a pipe.
  virtual bool Rewind() { return false; }

  // The offset of the next byte Next hands out.
  std::uint64_t position() const { return position_; }
  // Why reading failed; empty while it has not.
  std::error_code error() const { return error_; }

 protected:
  std::uint64_t position_ = 0;
  std::error_code error_;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_BYTE_SOURCE_H_
