#ifndef TRULVEX_CORE_BASE_DECODING_TEXT_READER_H_
#define TRULVEX_CORE_BASE_DECODING_TEXT_READER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/base/byte_source.h"
#include "core/base/cp1251.h"
#include "core/base/text_reader.h"

namespace trulvex {

// The bytes of a source read as code page 1251 text: taken as they are, or
// decoded from UTF-8 chunk by chunk, or, when no encoding is given, in the
// encoding DetectEncoding would find for the whole text. Bytes below 0x80
// read the same either way, so the choice waits for the first byte above
// 0x7F; from there the look ahead checks the bytes for UTF-8 until one is
// broken or the text ends.
class DecodingTextReader : public TextReader {
 public:
  DecodingTextReader(ByteSource* source, std::optional<TextEncoding> encoding);

  std::string_view Next() override;
  bool LfFollows() override;
  bool failed() const override {
    return static_cast<bool>(source_->error()) || invalid_at().has_value();
  }
  std::optional<std::uint64_t> LengthBound() const override {
    return source_->size();
  }
  bool Rewind() override;

  // The encoding the text is read in; code page 1251 until a byte above
  // 0x7F has decided it.
  TextEncoding encoding() const { return encoding_.value_or(kCp); }
  bool decided() const { return encoding_.has_value(); }
  // Decides the encoding now, looking ahead for the first byte above 0x7F
  // (a writer that must fix its own encoding before the text shows it).
  TextEncoding Decide();
  // The characters handed over so far.
  std::uint64_t characters() const { return characters_; }
  // Characters of a UTF-8 text that code page 1251 cannot hold.
  std::size_t unmappable() const { return decoder_.unmappable(); }
  // When UTF-8 was asked for: where the first byte that is not UTF-8
  // stands. The text ends before it.
  std::optional<std::uint64_t> invalid_at() const {
    return encoding_ == TextEncoding::kUtf8 ? decoder_.first_invalid()
                                            : std::nullopt;
  }
  std::error_code read_error() const { return source_->error(); }

 private:
  static constexpr TextEncoding kCp = TextEncoding::kCp1251;

  void DecideFrom(std::string_view from_first_high_byte);
  std::string_view Handed(std::string_view chunk) {
    characters_ += chunk.size();
    return chunk;
  }

  ByteSource* source_;
  std::optional<TextEncoding> encoding_;
  Utf8Decoder decoder_{true};
  std::string decoded_;
  bool finished_ = false;
  std::uint64_t characters_ = 0;
  // The LF the look ahead found last, or that none follows.
  std::optional<std::uint64_t> lf_at_;
  bool no_lf_ = false;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_DECODING_TEXT_READER_H_
