#include "core/base/byte_source.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "core/base/open_file.h"
#include "test_support.h"

namespace trulvex {
namespace {

using testing::TempDir;
using testing::WriteFile;

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() % 256);
  return bytes;
}

// A pipe fed by a thread, as a shell pipe feeds standard input.
class FedPipe {
 public:
  explicit FedPipe(std::string bytes) {
    int ends[2];
#if defined(_WIN32)
    if (_pipe(ends, 1 << 16, _O_BINARY) != 0) return;
#else
    if (pipe(ends) != 0) return;
#endif
    read_ = fdopen(ends[0], "rb");
    writer_ = std::thread([bytes = std::move(bytes), fd = ends[1]] {
      for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t put = write(fd, bytes.data() + at, bytes.size() - at);
        if (put <= 0) break;
        at += static_cast<std::size_t>(put);
      }
      close(fd);
    });
  }
  ~FedPipe() {
    if (read_ != nullptr) std::fclose(read_);  // ends a blocked writer
    if (writer_.joinable()) writer_.join();
  }
  std::FILE* stream() const { return read_; }

 private:
  std::FILE* read_ = nullptr;
  std::thread writer_;
};

std::string ReadAll(ByteSource* source) {
  std::string all;
  for (std::string_view chunk; !(chunk = source->Next()).empty();) {
    all += chunk;
  }
  return all;
}

// What a look ahead from the current position shows, up to `limit` bytes.
std::string LookedAt(ByteSource* source, std::size_t limit) {
  std::string seen;
  const std::uint64_t start = source->position();
  source->LookAhead([&](std::string_view bytes, std::uint64_t offset) {
    EXPECT_EQ(offset, start + seen.size());
    seen += bytes;
    return seen.size() < limit;
  });
  return seen.substr(0, limit);
}

// Files, pipes and memory hand out the same bytes; a look ahead shows what
// follows and leaves it to be read, also when a pipe's look ahead is kept
// in a temporary file (more than 4 MB).
TEST(ByteSourceTest, LookAheadShowsWhatIsReadAfterwards) {
  TempDir dir;
  for (const std::size_t size : {0ul, 1ul, 300'000ul, 9'000'000ul}) {
    const std::string bytes = RandomBytes(size, static_cast<unsigned>(size));
    WriteFile(dir / "bytes", bytes);
    std::error_code error;
    FedPipe pipe(bytes);
    struct Kind {
      const char* name;
      std::unique_ptr<ByteSource> source;
    } kinds[] = {{"file", ByteSource::Open(dir / "bytes", &error)},
                 {"pipe", ByteSource::FromStream(pipe.stream())},
                 {"memory", ByteSource::FromBytes(bytes, 1000)}};
    for (Kind& kind : kinds) {
      SCOPED_TRACE(::testing::Message() << kind.name << " of " << size);
      ByteSource* source = kind.source.get();
      ASSERT_NE(source, nullptr);
      EXPECT_EQ(LookedAt(source, 5'000'000), bytes.substr(0, 5'000'000));
      std::string read(source->Next());
      EXPECT_EQ(LookedAt(source, 100), bytes.substr(read.size(), 100));
      EXPECT_EQ(LookedAt(source, size), bytes.substr(read.size()));
      read += ReadAll(source);
      EXPECT_EQ(read, bytes);
      EXPECT_EQ(source->position(), size);
      EXPECT_FALSE(source->error());
      EXPECT_EQ(source->size().has_value(), kind.name[0] != 'p');
    }
  }
}

// A regular file on standard input is read from where it stands, and can
// be read again from there.
TEST(ByteSourceTest, FilesRewindAndPipesDoNot) {
  TempDir dir;
  WriteFile(dir / "text", "skipped|the text");
  std::FILE* stream = OpenFile(dir / "text", "rb");
  ASSERT_NE(stream, nullptr);
  std::fseek(stream, 8, SEEK_SET);
  {
    const auto source = ByteSource::FromStream(stream);
    EXPECT_EQ(source->size(), 8u);
    EXPECT_EQ(ReadAll(source.get()), "the text");
    ASSERT_TRUE(source->Rewind());
    EXPECT_EQ(ReadAll(source.get()), "the text");
  }
  std::fclose(stream);

  FedPipe pipe("once");
  const auto piped = ByteSource::FromStream(pipe.stream());
  EXPECT_EQ(ReadAll(piped.get()), "once");
  EXPECT_FALSE(piped->Rewind());
}

TEST(ByteSourceTest, WhatCannotBeReadSaysWhy) {
  TempDir dir;
  std::error_code error;
  EXPECT_EQ(ByteSource::Open(dir.path(), &error), nullptr);
  EXPECT_EQ(error, std::errc::is_a_directory);
  EXPECT_EQ(ByteSource::Open(dir / "missing", &error), nullptr);
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace trulvex
