#ifndef TRULVEX_CORE_BASE_TEXT_READER_H_
#define TRULVEX_CORE_BASE_TEXT_READER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace trulvex {

// A code page 1251 text handed over chunk by chunk, so that a text of any
// length is converted in bounded memory.
class TextReader {
 public:
  virtual ~TextReader() = default;

  // The next chunk, valid until the next call; empty at the end of the
  // text, and after a failure.
  virtual std::string_view Next() = 0;
  // True when an LF comes somewhere after the chunks handed over so far.
  // Looks ahead without taking anything; asking again before that LF is
  // reached costs nothing.
  virtual bool LfFollows() = 0;
  // True once reading failed; the text then ended early.
  virtual bool failed() const = 0;
  // At least the text's length, when it is known before reading.
  virtual std::optional<std::uint64_t> LengthBound() const = 0;
  // Starts again from the first character; false when the text can be read
  // only once.
  virtual bool Rewind() = 0;
};

// A text in memory.
class StringTextReader : public TextReader {
 public:
  static constexpr std::size_t kChunk = std::size_t{256} << 10;

  explicit StringTextReader(std::string_view text, std::size_t chunk = kChunk)
      : text_(text), chunk_(chunk == 0 ? kChunk : chunk) {}

  std::string_view Next() override {
    const std::string_view next = text_.substr(offset_, chunk_);
    offset_ += next.size();
    return next;
  }
  bool LfFollows() override {
    if (lf_ == std::string_view::npos || lf_ < offset_) {
      if (lf_ == std::string_view::npos && searched_) return false;
      lf_ = text_.find('\n', offset_);
      searched_ = true;
    }
    return lf_ != std::string_view::npos;
  }
  bool failed() const override { return false; }
  std::optional<std::uint64_t> LengthBound() const override {
    return text_.size();
  }
  bool Rewind() override {
    offset_ = 0;
    lf_ = std::string_view::npos;
    searched_ = false;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t chunk_;
  std::size_t offset_ = 0;
  // The LF found last, and whether a search has found none after it.
  std::size_t lf_ = std::string_view::npos;
  bool searched_ = false;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_TEXT_READER_H_
