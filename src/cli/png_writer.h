#ifndef TRULVEX_CLI_PNG_WRITER_H_
#define TRULVEX_CLI_PNG_WRITER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace trulvex::cli {

// Writes an 8-bit RGB picture as PNG, row by row, so that a picture of many
// pages never needs to be held whole. The bytes go to `sink`; a sink that
// refuses them ends the picture as failed.
class PngWriter {
 public:
  using Sink = std::function<bool(std::string_view bytes)>;

  // The largest width and height the format allows.
  static constexpr std::uint32_t kMaxSide = 0x7FFFFFFF;

  explicit PngWriter(Sink sink);
  ~PngWriter();
  PngWriter(const PngWriter&) = delete;
  PngWriter& operator=(const PngWriter&) = delete;

  bool Start(std::uint32_t width, std::uint32_t height);
  // `rgb` holds `width` pixels of three bytes.
  bool WriteRow(const std::uint8_t* rgb);
  // False when a row is missing or anything failed on the way.
  bool Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace trulvex::cli

#endif  // TRULVEX_CLI_PNG_WRITER_H_
