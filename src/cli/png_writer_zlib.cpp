// The PNG writer of a build without libpng (the Windows cross-build, where
// no libpng is packaged): the format's chunks written here, the image data
// compressed with zlib. Every row is filtered with "none".
#include <zlib.h>

#include <array>
#include <climits>
#include <string>
#include <utility>

#include "cli/png_writer.h"

namespace trulvex::cli {

struct PngWriter::State {
  Sink sink;
  z_stream zlib{};
  bool zlib_ready = false;
  std::string compressed;  // image data waiting for its chunk
  std::size_t row_bytes = 0;
  std::uint32_t rows_left = 0;
  bool started = false;
  bool failed = false;
};

namespace {

constexpr std::size_t kChunkData = std::size_t{1} << 16;

void PutBigEndian(std::uint32_t value, std::string* out) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out->push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

bool WriteChunk(const PngWriter::Sink& sink, const char (&type)[5],
                std::string_view data) {
  std::string chunk;
  chunk.reserve(data.size() + 12);
  PutBigEndian(static_cast<std::uint32_t>(data.size()), &chunk);
  chunk.append(type, 4);
  chunk.append(data);
  const auto* typed = reinterpret_cast<const Bytef*>(chunk.data() + 4);
  PutBigEndian(
      static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0), typed,
                                       static_cast<uInt>(chunk.size() - 4))),
      &chunk);
  return sink(chunk);
}

// Feeds `size` bytes (none with `flush` Z_FINISH) to zlib and sends out
// every full chunk of compressed data; the end goes out in whatever is left.
bool Deflate(z_stream& zlib, std::string& compressed,
             const PngWriter::Sink& sink, const std::uint8_t* bytes,
             std::size_t size, int flush) {
  zlib.next_in = const_cast<Bytef*>(bytes);
  zlib.avail_in = static_cast<uInt>(size);
  std::array<Bytef, 1 << 15> buffer;
  int result = Z_OK;
  do {
    zlib.next_out = buffer.data();
    zlib.avail_out = static_cast<uInt>(buffer.size());
    result = deflate(&zlib, flush);
    if (result == Z_STREAM_ERROR) return false;
    compressed.append(reinterpret_cast<const char*>(buffer.data()),
                      buffer.size() - zlib.avail_out);
    while (compressed.size() >= kChunkData) {
      if (!WriteChunk(sink, "IDAT",
                      std::string_view(compressed).substr(0, kChunkData)))
        return false;
      compressed.erase(0, kChunkData);
    }
  } while (zlib.avail_out == 0 ||
           (flush == Z_FINISH && result != Z_STREAM_END));
  return true;
}

}  // namespace

PngWriter::PngWriter(Sink sink) : state_(std::make_unique<State>()) {
  state_->sink = std::move(sink);
  state_->zlib_ready =
      deflateInit(&state_->zlib, Z_DEFAULT_COMPRESSION) == Z_OK;
  state_->failed = !state_->zlib_ready;
}

PngWriter::~PngWriter() {
  if (state_->zlib_ready) deflateEnd(&state_->zlib);
}

bool PngWriter::Start(std::uint32_t width, std::uint32_t height) {
  // A row, its filter byte included, must fit one call into zlib.
  if (state_->failed || state_->started || width == 0 || height == 0 ||
      width > kMaxSide || height > kMaxSide || width > (UINT_MAX - 1) / 3) {
    state_->failed = true;
    return false;
  }
  state_->started = true;
  state_->rows_left = height;
  state_->row_bytes = std::size_t{width} * 3;
  std::string header;
  PutBigEndian(width, &header);
  PutBigEndian(height, &header);
  // 8 bits per sample, RGB, deflate, adaptive filtering, no interlace.
  header += std::string("\x08\x02\x00\x00\x00", 5);
  state_->failed = !state_->sink("\x89PNG\r\n\x1A\n") ||
                   !WriteChunk(state_->sink, "IHDR", header);
  return !state_->failed;
}

bool PngWriter::WriteRow(const std::uint8_t* rgb) {
  if (state_->failed || !state_->started || state_->rows_left == 0) {
    state_->failed = true;
    return false;
  }
  --state_->rows_left;
  constexpr std::uint8_t kFilterNone = 0;
  state_->failed = !Deflate(state_->zlib, state_->compressed, state_->sink,
                            &kFilterNone, 1, Z_NO_FLUSH) ||
                   !Deflate(state_->zlib, state_->compressed, state_->sink, rgb,
                            state_->row_bytes, Z_NO_FLUSH);
  return !state_->failed;
}

bool PngWriter::Finish() {
  if (state_->failed || !state_->started || state_->rows_left != 0) {
    return false;
  }
  state_->failed = !Deflate(state_->zlib, state_->compressed, state_->sink,
                            nullptr, 0, Z_FINISH) ||
                   (!state_->compressed.empty() &&
                    !WriteChunk(state_->sink, "IDAT", state_->compressed)) ||
                   !WriteChunk(state_->sink, "IEND", {});
  return !state_->failed;
}

}  // namespace trulvex::cli
