#include "core/base/cp1251.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace trulvex {
namespace {

// Bytes 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F in order.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// UTF-8 encodings of all 256 bytes, at most three bytes each.
struct Utf8Table {
  std::array<std::array<char, 3>, 256> bytes{};
  std::array<std::uint8_t, 256> length{};
};

constexpr Utf8Table BuildUtf8Table() {
  Utf8Table table;
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = b < 0x80   ? static_cast<char32_t>(b)
                        : b < 0xC0 ? kUpperHalf[b - 0x80]
                                   : static_cast<char32_t>(0x0410 + b - 0xC0);
    auto& out = table.bytes[b];
    if (cp < 0x80) {
      out[0] = static_cast<char>(cp);
      table.length[b] = 1;
    } else if (cp < 0x800) {
      out[0] = static_cast<char>(0xC0 | (cp >> 6));
      out[1] = static_cast<char>(0x80 | (cp & 0x3F));
      table.length[b] = 2;
    } else {
      out[0] = static_cast<char>(0xE0 | (cp >> 12));
      out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out[2] = static_cast<char>(0x80 | (cp & 0x3F));
      table.length[b] = 3;
    }
  }
  return table;
}

constexpr Utf8Table kUtf8 = BuildUtf8Table();

// Code page 1251 bytes of U+0400 to U+047F, the two-byte forms D0 80 to
// D1 BF that Russian text is made of; 0 where the code page has none.
constexpr std::array<std::uint8_t, 128> BuildCyrillic() {
  std::array<std::uint8_t, 128> bytes{};
  for (int i = 0; i < 64; ++i) {
    const char32_t cp = kUpperHalf[i];
    if (cp >= 0x0400 && cp < 0x0480) bytes[cp - 0x0400] = 0x80 + i;
  }
  for (int i = 0; i < 64; ++i) bytes[0x10 + i] = 0xC0 + i;
  return bytes;
}
constexpr std::array<std::uint8_t, 128> kCyrillic = BuildCyrillic();

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// What a walk over UTF-8 bytes found.
struct Walked {
  std::size_t written = 0;
  std::size_t bad = 0;  // characters outside the code page, broken bytes
  std::size_t first_invalid = std::string_view::npos;
  bool non_ascii = false;
};

// Walks the characters of `in`: with kWrite, writes their code page 1251
// form to `out`, which may be `in` itself (the result is never longer);
// without, only checks them and stops at the first broken byte. A broken
// byte stands for one unknown character.
template <bool kWrite>
void Walk(std::string_view in, char* out, Walked* walked) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(in.data());
  const std::size_t size = in.size();
  std::size_t write = 0;
  for (std::size_t read = 0; read < size;) {
    if (read + 8 <= size) {  // plain ASCII goes eight bytes at a time
      std::uint64_t word;
      std::memcpy(&word, bytes + read, 8);
      if ((word & kHighBits) == 0) {
        if constexpr (kWrite) std::memcpy(out + write, &word, 8);
        read += 8;
        write += 8;
        continue;
      }
    }
    const unsigned char b0 = bytes[read];
    if (b0 < 0x80) {
      if constexpr (kWrite) out[write] = static_cast<char>(b0);
      ++read;
      ++write;
      continue;
    }
    walked->non_ascii = true;
    if ((b0 == 0xD0 || b0 == 0xD1) && read + 1 < size &&
        (bytes[read + 1] & 0xC0) == 0x80) {
      const std::uint8_t byte =
          kCyrillic[((b0 & 1) << 6) | (bytes[read + 1] & 0x3F)];
      if (byte != 0) {
        if constexpr (kWrite) out[write] = static_cast<char>(byte);
        read += 2;
        ++write;
        continue;
      }
    }
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8Char(in, read, &cp);
    std::optional<std::uint8_t> byte;
    if (length == 0) {
      if (walked->first_invalid == std::string_view::npos) {
        walked->first_invalid = read;
      }
      if constexpr (!kWrite) return;
      ++read;
    } else {
      read += length;
      if constexpr (kWrite) byte = UnicodeToCp1251(cp);
    }
    if constexpr (kWrite) {
      if (!byte) ++walked->bad;
      out[write] = static_cast<char>(byte.value_or(kUnmappableByte));
    }
    ++write;
  }
  walked->written = write;
}

// The length of an unfinished character at the end of `bytes`: a lead byte
// among the last three whose sequence needs more bytes than follow it.
std::size_t UnfinishedTail(std::string_view bytes) {
  for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
    const auto b = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if ((b & 0xC0) == 0x80) continue;  // continuation: look further back
    const std::size_t needed = b >= 0xF0   ? 4
                               : b >= 0xE0 ? 3
                               : b >= 0xC0 ? 2
                                           : 1;
    return needed > back ? back : 0;
  }
  return 0;
}

// Hands `take` the text a piece at a time, whole characters only: a
// character cut off at the end of a piece is kept in `carry` and completed
// from the next one. `take(bytes, final)` returns how many bytes it took;
// only the first few bytes of a piece are ever copied.
template <typename Take>
void TakeWhole(std::string* carry, std::string_view piece, bool final,
               const Take& take) {
  if (!carry->empty()) {
    // A character that begins in the carry ends within three more bytes.
    const std::size_t head = std::min<std::size_t>(piece.size(), 3);
    const std::size_t kept = carry->size();
    std::string joined = *carry + std::string(piece.substr(0, head));
    const bool whole = head == piece.size();
    const std::size_t took = take(joined, whole && final);
    if (took < kept || (whole && took < joined.size())) {
      carry->assign(joined, took);
      return;
    }
    carry->clear();
    piece.remove_prefix(took - kept);
  }
  const std::size_t took = take(piece, final);
  carry->assign(piece.substr(took));
}

}  // namespace

std::size_t DecodeUtf8Char(std::string_view s, std::size_t i, char32_t* cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    *cp = b0;
    return 1;
  }
  std::size_t length;
  char32_t value;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, value = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, value = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, value = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  *cp = value;
  return length;
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return out;
}

char32_t Cp1251ToUnicode(std::uint8_t byte) {
  if (byte < 0x80) return byte;
  if (byte < 0xC0) return kUpperHalf[byte - 0x80];
  return 0x0410 + (byte - 0xC0);
}

std::optional<std::uint8_t> UnicodeToCp1251(char32_t cp) {
  if (cp < 0x80) return static_cast<std::uint8_t>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) {
    return static_cast<std::uint8_t>(0xC0 + (cp - 0x0410));
  }
  for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
    if (kUpperHalf[i] == cp) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

void AppendCp1251AsUtf8(std::string_view cp1251, std::string* utf8) {
  const std::size_t start = utf8->size();
  utf8->resize(start + cp1251.size() * 3);
  char* out = utf8->data() + start;
  for (const char c : cp1251) {
    const auto b = static_cast<std::uint8_t>(c);
    const auto& bytes = kUtf8.bytes[b];
    out[0] = bytes[0];
    out[1] = bytes[1];
    out[2] = bytes[2];
    out += kUtf8.length[b];
  }
  utf8->resize(static_cast<std::size_t>(out - utf8->data()));
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::string utf8;
  AppendCp1251AsUtf8(cp1251, &utf8);
  return utf8;
}

std::string Utf8ToCp1251(std::string utf8, std::size_t* unmappable) {
  Walked walked;
  Walk<true>(utf8, utf8.data(), &walked);
  utf8.resize(walked.written);
  if (unmappable != nullptr) *unmappable = walked.bad;
  return utf8;
}

std::size_t Utf8Decoder::DecodeSome(std::string_view bytes, bool final,
                                    std::string* cp1251) {
  std::size_t skipped = 0;
  if (at_start_) {
    if (!final && bytes.size() < kUtf8Bom.size() &&
        kUtf8Bom.starts_with(bytes)) {
      return 0;  // perhaps a mark: wait for its other bytes
    }
    at_start_ = false;
    if (bytes.starts_with(kUtf8Bom)) skipped = kUtf8Bom.size();
  }
  const std::string_view body = bytes.substr(skipped);
  const std::string_view whole =
      final ? body : body.substr(0, body.size() - UnfinishedTail(body));
  const std::size_t start = cp1251->size();
  cp1251->resize(start + whole.size());
  Walked walked;
  Walk<true>(whole, cp1251->data() + start, &walked);
  cp1251->resize(start + walked.written);
  unmappable_ += walked.bad;
  if (!first_invalid_ && walked.first_invalid != std::string_view::npos) {
    first_invalid_ = offset_ + skipped + walked.first_invalid;
  }
  const std::size_t took = skipped + whole.size();
  offset_ += took;
  return took;
}

void Utf8Decoder::Decode(std::string_view piece, std::string* cp1251) {
  TakeWhole(&carry_, piece, false, [&](std::string_view bytes, bool final) {
    return DecodeSome(bytes, final, cp1251);
  });
}

void Utf8Decoder::Finish(std::string* cp1251) {
  TakeWhole(&carry_, {}, true, [&](std::string_view bytes, bool final) {
    return DecodeSome(bytes, final, cp1251);
  });
}

bool IsValidUtf8(std::string_view bytes) {
  Walked walked;
  Walk<false>(bytes, nullptr, &walked);
  return walked.first_invalid == std::string_view::npos;
}

TextEncoding DetectEncoding(std::string_view bytes) {
  EncodingDetector detector;
  detector.Feed(bytes);
  return detector.Finish();
}

bool EncodingDetector::Feed(std::string_view piece) {
  if (invalid_) return false;
  TakeWhole(&carry_, piece, false, [&](std::string_view bytes, bool final) {
    const std::string_view whole =
        final ? bytes : bytes.substr(0, bytes.size() - UnfinishedTail(bytes));
    Walked walked;
    Walk<false>(whole, nullptr, &walked);
    non_ascii_ |= walked.non_ascii;
    invalid_ |= walked.first_invalid != std::string_view::npos;
    return invalid_ ? bytes.size() : whole.size();
  });
  return !invalid_;
}

TextEncoding EncodingDetector::Finish() {
  // An unfinished character at the very end is not UTF-8 either.
  const bool valid = !invalid_ && carry_.empty();
  return valid && non_ascii_ ? TextEncoding::kUtf8 : TextEncoding::kCp1251;
}

}  // namespace trulvex
