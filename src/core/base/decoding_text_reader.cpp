#include "core/base/decoding_text_reader.h"

#include <cstring>

namespace trulvex {
namespace {

// The first byte above 0x7F, or npos.
std::size_t FirstHighByte(std::string_view bytes) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    if ((word & kHighBits) != 0) break;
  }
  for (; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return i;
  }
  return std::string_view::npos;
}

}  // namespace

DecodingTextReader::DecodingTextReader(ByteSource* source,
                                       std::optional<TextEncoding> encoding)
    : source_(source), encoding_(encoding) {}

void DecodingTextReader::DecideFrom(std::string_view from_first_high_byte) {
  EncodingDetector detector;
  if (detector.Feed(from_first_high_byte)) {
    source_->LookAhead([&detector](std::string_view bytes, std::uint64_t) {
      return detector.Feed(bytes);
    });
  }
  encoding_ = detector.Finish();
}

TextEncoding DecodingTextReader::Decide() {
  if (encoding_) return *encoding_;
  EncodingDetector detector;
  bool found = false;
  source_->LookAhead([&](std::string_view bytes, std::uint64_t) {
    if (!found) {
      const std::size_t high = FirstHighByte(bytes);
      if (high == std::string_view::npos) return true;
      found = true;
      bytes.remove_prefix(high);
    }
    return detector.Feed(bytes);
  });
  // Only ASCII to the end: code page 1251, which reads it the same.
  encoding_ = detector.Finish();
  // The first byte above 0x7F comes after the text handed over so far.
  if (source_->position() != 0) decoder_ = Utf8Decoder(false);
  return *encoding_;
}

std::string_view DecodingTextReader::Next() {
  for (;;) {
    const std::uint64_t start = source_->position();
    const std::string_view raw = source_->Next();
    if (raw.empty()) {
      if (encoding_ != TextEncoding::kUtf8 || finished_) return {};
      finished_ = true;
      decoded_.clear();
      decoder_.Finish(&decoded_);
      return failed() ? std::string_view() : Handed(decoded_);
    }
    if (!encoding_) {
      const std::size_t high = FirstHighByte(raw);
      if (high == std::string_view::npos) return Handed(raw);
      DecideFrom(raw.substr(high));
      // A mark can only begin the text.
      if (start != 0) decoder_ = Utf8Decoder(false);
    }
    if (encoding_ == kCp) return Handed(raw);
    decoded_.clear();
    decoder_.Decode(raw, &decoded_);
    if (failed()) return {};
    if (!decoded_.empty()) return Handed(decoded_);
  }
}

bool DecodingTextReader::LfFollows() {
  if (no_lf_) return false;
  if (lf_at_ && *lf_at_ >= source_->position()) return true;
  bool found = false;
  // An unfinished character kept by the decoder holds no LF: what follows
  // the source's position is all that is left.
  source_->LookAhead([&](std::string_view bytes, std::uint64_t offset) {
    const void* lf = std::memchr(bytes.data(), '\n', bytes.size());
    if (lf == nullptr) return true;
    lf_at_ = offset + static_cast<std::uint64_t>(static_cast<const char*>(lf) -
                                                 bytes.data());
    found = true;
    return false;
  });
  no_lf_ = !found && !source_->error();
  return found;
}

bool DecodingTextReader::Rewind() {
  if (!source_->Rewind()) return false;
  decoder_ = Utf8Decoder(true);
  finished_ = false;
  characters_ = 0;
  lf_at_.reset();
  no_lf_ = false;
  return true;
}

}  // namespace trulvex
