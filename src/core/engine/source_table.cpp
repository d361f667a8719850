#include "core/engine/source_table.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "core/engine/char_map.h"
#include "core/engine/code_mapping.h"
#include "core/engine/vector_target.h"

// Hot paths take their small helpers inline, whatever the size heuristics.
#if defined(__GNUC__) || defined(__clang__)
#define TRULVEX_INLINE_CALLS __attribute__((flatten))
#else
#define TRULVEX_INLINE_CALLS
#endif

namespace trulvex {
namespace {

std::string Indent(std::int32_t width) {
  return width > 0 ? std::string(static_cast<std::size_t>(width), ' ')
                   : std::string();
}

}  // namespace

std::string FormatLcdNumber(std::uint8_t code, std::int32_t si) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  switch (si) {
    case 0: {
      std::string bits(8, '0');
      for (int bit = 0; bit < 8; ++bit) {
        if (code & (0x80 >> bit)) bits[static_cast<std::size_t>(bit)] = '1';
      }
      return bits;
    }
    case 1:
      return std::to_string(static_cast<unsigned>(code));
    case 2:
      return {kHex[code >> 4], kHex[code & 0x0F]};
    default:
      return {};
  }
}

template <TableLayout::Copy kCopy>
struct TableLayout::SlotNumbers {
  template <bool kCount>
  char* Write(std::string_view chars, bool ends_piece, char* dst,
              std::uint64_t* count) const {
    return layout.WriteNumbersWith<kCopy, kCount>(chars, ends_piece, dst,
                                                  count);
  }
  const TableLayout& layout;
};

TableLayout::TableLayout(const ProfileRecord& profile, bool vector)
    : comment_line_(!profile.Comment.empty() && profile.CommentState == 1),
      byte_count_(!profile.Comment.empty() && profile.CountByteToComment == 1),
      comment_(profile.Comment),
      head_(Indent(profile.Ost1) + profile.Directive + Indent(profile.Ost2) +
            profile.StartDataBlok),
      end_data_blok_(profile.EndDataBlok),
      start_data_(profile.StartData),
      end_data_(profile.EndData),
      separator_(profile.RazdelitelData) {
  std::size_t max_item = 0;  // the longest item with its separator
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t code = CharToLcdCode(static_cast<std::uint8_t>(c));
    if (code == 0) continue;
    displayable_[c] = 1;
    const std::string number = FormatLcdNumber(code, profile.SI);
    std::memcpy(numbers_[c].data(), number.data(), number.size());
    number_lengths_[c] = static_cast<std::uint8_t>(number.size());
    max_item = std::max(max_item, start_data_.size() + number.size() +
                                      end_data_.size() + separator_.size());
  }
  copy_ = max_item <= kSlot / 2 ? Copy::kHalf
          : max_item <= kSlot   ? Copy::kSlot
                                : Copy::kDirect;
  slot_room_ = copy_ == Copy::kDirect ? max_item : kSlot;
  const std::string padding(kSlot, '\0');
  padded_comment_ = comment_ + padding;
  padded_head_ = head_ + padding;
  padded_end_data_blok_ = end_data_blok_ + padding;
  if (copy_ == Copy::kDirect) return;
  slots_.assign(256 * kSlot, '\0');
  for (int c = 0; c < 256; ++c) {
    if (!IsDisplayable(static_cast<std::uint8_t>(c))) continue;
    char* const slot = &slots_[static_cast<std::size_t>(c) * kSlot];
    char* const end = WriteItemDirect(static_cast<std::uint8_t>(c), true, slot);
    slot_lengths_[c] = static_cast<std::uint8_t>(end - slot);
    item_lengths_[c] =
        static_cast<std::uint8_t>(slot_lengths_[c] - separator_.size());
  }
  if (!vector || profile.SI != 2 || !HasVectorCodeMapping()) return;
  // A group pattern: as many whole items (at most a slot each) as fit in
  // 64 bytes, the digits left to be filled in.
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t code = CharToLcdCode(static_cast<std::uint8_t>(c));
    high_digits_[c] = code == 0 ? 0 : kHex[code >> 4];
    low_digits_[c] = kHex[code & 0x0F];
  }
  step_ = start_data_.size() + 2 + end_data_.size() + separator_.size();
  group_items_ = 64 / step_;
  const std::string item = start_data_ + "??" + end_data_ + separator_;
  for (std::size_t at = 0; at < group_items_ * step_; ++at) {
    const std::size_t k = at / step_;
    const std::size_t in_item = at % step_;
    group_pattern_[at] = static_cast<std::uint8_t>(item[in_item]);
    if (in_item == start_data_.size() || in_item == start_data_.size() + 1) {
      // The high digit from the first table, the low one from the second.
      group_index_[at] =
          static_cast<std::uint8_t>(in_item == start_data_.size() ? k : 64 + k);
      group_digits_ |= std::uint64_t{1} << at;
    }
  }
  hex_groups_ = true;

  // The pattern of a whole piece, written once with every character
  // displayable; the byte count, if any, is then the piece's length too.
  if (profile.CountByte < 1 || profile.CountByte > 32) return;
  const auto length = static_cast<std::size_t>(profile.CountByte);
  const std::size_t most = (comment_line_ ? comment_.size() + length + 2 : 0) +
                           head_.size() + length * step_ +
                           end_data_blok_.size() + 1 + comment_.size() + 3 + 2;
  if (most > piece_pattern_.size()) return;
  std::string sample(PieceRoom(length), '\0');
  const std::size_t bytes = static_cast<std::size_t>(
      WritePieceWith(std::string(length, 'A'), sample.data(),
                     SlotNumbers<Copy::kSlot>{*this}) -
      sample.data());
  if (bytes > piece_pattern_.size()) return;
  std::memcpy(piece_pattern_.data(), sample.data(), bytes);
  const auto fill = [this](std::size_t at, std::size_t from) {
    piece_index_[at] = static_cast<std::uint8_t>(from);
    piece_fills_[at / 64] |= std::uint64_t{1} << (at % 64);
  };
  // The text from lanes 0 to 31 of the first table, high digits from lanes
  // 32 to 63, low digits from the second table.
  const std::size_t numbers =
      (comment_line_ ? comment_.size() + length + 2 : 0) + head_.size();
  for (std::size_t k = 0; k < length; ++k) {
    if (comment_line_) fill(comment_.size() + k, k);
    fill(numbers + k * step_ + start_data_.size(), 32 + k);
    fill(numbers + k * step_ + start_data_.size() + 1, 64 + k);
  }
  piece_length_ = length;
  piece_bytes_ = bytes;
}

namespace {

// Copies a profile text that is followed by kSlot spare bytes: short
// texts as one fixed-size block, longer ones as they are.
template <std::size_t kSlot>
char* CopyPadded(char* dst, const std::string& padded, std::size_t length) {
  if (length <= kSlot) {
    std::memcpy(dst, padded.data(), kSlot);
  } else {
    std::memcpy(dst, padded.data(), length);
  }
  return dst + length;
}

// Copies a few bytes without a call: two overlapping blocks cover any
// length from one block to twice its size.
inline char* CopyShort(char* dst, const char* src, std::size_t n) {
  if (n >= 8 && n <= 16) {
    std::memcpy(dst, src, 8);
    std::memcpy(dst + n - 8, src + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(dst, src, 4);
    std::memcpy(dst + n - 4, src + n - 4, 4);
  } else {
    std::memcpy(dst, src, n);
  }
  return dst + n;
}

char* WriteDecimal(std::uint64_t value, char* dst) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) *dst++ = digits[--count];
  return dst;
}

}  // namespace

char* TableLayout::WriteItemDirect(std::uint8_t c, bool separated,
                                   char* dst) const {
  dst = CopyShort(dst, start_data_.data(), start_data_.size());
  dst = CopyShort(dst, numbers_[c].data(), number_lengths_[c]);
  dst = CopyShort(dst, end_data_.data(), end_data_.size());
  if (separated) dst = CopyShort(dst, separator_.data(), separator_.size());
  return dst;
}

char* TableLayout::StartCommentLine(char* dst) const {
  return CopyPadded<kSlot>(dst, padded_comment_, comment_.size());
}

char* TableLayout::EndCommentLine(char* dst) {
  *dst++ = '\r';
  *dst++ = '\n';
  return dst;
}

char* TableLayout::WriteHead(char* dst) const {
  return CopyPadded<kSlot>(dst, padded_head_, head_.size());
}

char* TableLayout::WriteTail(std::uint64_t byte_count, char* dst) const {
  dst = CopyPadded<kSlot>(dst, padded_end_data_blok_, end_data_blok_.size());
  if (byte_count_) {
    *dst++ = ' ';
    dst = CopyPadded<kSlot>(dst, padded_comment_, comment_.size());
    dst = WriteDecimal(byte_count, dst);
  }
  *dst++ = '\r';
  *dst++ = '\n';
  return dst;
}

template <TableLayout::Copy kCopy, bool kCount>
TRULVEX_INLINE_CALLS char* TableLayout::WriteNumbersWith(
    std::string_view chars, bool ends_piece, char* dst,
    std::uint64_t* count) const {
  constexpr std::size_t kWidth = kCopy == Copy::kHalf ? kSlot / 2 : kSlot;
  // Locals, not members: stores through `dst` may alias any member, which
  // would make the compiler reload them for every character.
  const char* const slots = slots_.data();
  const std::uint8_t* const lengths = slot_lengths_.data();
  const std::uint8_t* const displayable = displayable_.data();
  const auto* const text = reinterpret_cast<const std::uint8_t*>(chars.data());
  std::uint64_t counted = 0;
  // The last character of a piece takes no separator.
  const std::size_t separated =
      ends_piece && !chars.empty() ? chars.size() - 1 : chars.size();
  std::size_t i = 0;
  if constexpr (kCopy != Copy::kDirect) {
    // Four at a time: the copies do not wait for each other's lengths.
    for (; i + 4 <= separated; i += 4) {
      const std::uint8_t c0 = text[i], c1 = text[i + 1], c2 = text[i + 2],
                         c3 = text[i + 3];
      if constexpr (kCount) {
        counted += displayable[c0] + displayable[c1] + displayable[c2] +
                   displayable[c3];
      }
      char* const d1 = dst + lengths[c0];
      char* const d2 = d1 + lengths[c1];
      char* const d3 = d2 + lengths[c2];
      std::memcpy(dst, slots + c0 * kSlot, kWidth);
      std::memcpy(d1, slots + c1 * kSlot, kWidth);
      std::memcpy(d2, slots + c2 * kSlot, kWidth);
      std::memcpy(d3, slots + c3 * kSlot, kWidth);
      dst = d3 + lengths[c3];
    }
  }
  for (; i < separated; ++i) {
    const std::uint8_t c = text[i];
    if constexpr (kCount) counted += displayable[c];
    if constexpr (kCopy == Copy::kDirect) {
      if (displayable[c] != 0) dst = WriteItemDirect(c, true, dst);
    } else {
      std::memcpy(dst, slots + c * kSlot, kWidth);
      dst += lengths[c];
    }
  }
  if (separated != chars.size()) {
    const auto c = static_cast<std::uint8_t>(chars.back());
    if constexpr (kCount) counted += displayable[c];
    if constexpr (kCopy == Copy::kDirect) {
      if (displayable[c] != 0) dst = WriteItemDirect(c, false, dst);
    } else {
      std::memcpy(dst, slots + c * kSlot, kWidth);
      dst += item_lengths_[c];
    }
  }
  if constexpr (kCount) *count += counted;
  return dst;
}

#if TRULVEX_VECTOR_MAPPING

template <TableLayout::Copy kCopy>
struct TableLayout::HexNumbers {
  TRULVEX_AVX512 explicit HexNumbers(const TableLayout& layout)
      : layout(layout),
        high(LoadByteTable(layout.high_digits_.data())),
        low(LoadByteTable(layout.low_digits_.data())),
        pattern(_mm512_loadu_si512(layout.group_pattern_.data())),
        index(_mm512_loadu_si512(layout.group_index_.data())) {}

  // Writes the items of the first `count` (up to a group) characters at
  // `text`, each with its separator, and 64 bytes in all; false when one of
  // them has no display code.
  TRULVEX_AVX512 bool Group(const std::uint8_t* text, std::size_t count,
                            char* dst) const {
    const __mmask64 lanes = (std::uint64_t{1} << count) - 1;
    const __m512i chars = _mm512_maskz_loadu_epi8(lanes, text);
    const __m512i highs = LookUp(high, chars);
    if (_mm512_mask_test_epi8_mask(lanes, highs, highs) != lanes) return false;
    const __m512i digits =
        _mm512_permutex2var_epi8(highs, index, LookUp(low, chars));
    _mm512_storeu_si512(
        dst, _mm512_mask_blend_epi8(layout.group_digits_, pattern, digits));
    return true;
  }

  template <bool kCount>
  TRULVEX_AVX512 char* Write(std::string_view chars, bool ends_piece, char* dst,
                             std::uint64_t* count) const {
    const auto* const text =
        reinterpret_cast<const std::uint8_t*>(chars.data());
    const std::size_t size = chars.size();
    for (std::size_t at = 0; at < size;) {
      const std::size_t items = std::min(layout.group_items_, size - at);
      if (Group(text + at, items, dst)) {
        dst += items * layout.step_;
        if constexpr (kCount) *count += items;
      } else {
        dst = layout.WriteNumbersWith<kCopy, kCount>(chars.substr(at, items),
                                                     false, dst, count);
      }
      at += items;
    }
    // The last character of a piece takes no separator.
    if (ends_piece && size != 0 && layout.displayable_[text[size - 1]] != 0) {
      dst -= layout.separator_.size();
    }
    return dst;
  }

  TRULVEX_AVX512 TRULVEX_INLINE_CALLS static char* Pieces(
      const TableLayout& layout, std::string_view text, std::size_t length,
      char* dst) {
    if (length == layout.piece_length_) {
      return WholePieces(layout, text, length, dst);
    }
    return layout.WritePiecesWith(text, length, dst, HexNumbers(layout));
  }

  // Pieces whose lines fit two vectors, each a pattern with its text and
  // digits filled in; a piece with an undisplayable character, and a short
  // last one, go slot by slot.
  TRULVEX_AVX512 static char* WholePieces(const TableLayout& layout,
                                          std::string_view text,
                                          std::size_t length, char* dst) {
    const ByteTable high = LoadByteTable(layout.high_digits_.data());
    const ByteTable low = LoadByteTable(layout.low_digits_.data());
    const __m512i pattern0 = _mm512_loadu_si512(layout.piece_pattern_.data());
    const __m512i pattern1 =
        _mm512_loadu_si512(layout.piece_pattern_.data() + 64);
    const __m512i index0 = _mm512_loadu_si512(layout.piece_index_.data());
    const __m512i index1 = _mm512_loadu_si512(layout.piece_index_.data() + 64);
    const __mmask64 fills0 = layout.piece_fills_[0];
    const __mmask64 fills1 = layout.piece_fills_[1];
    const std::size_t bytes = layout.piece_bytes_;
    const __mmask64 lanes = (std::uint64_t{1} << length) - 1;
    const __mmask64 checked = std::uint64_t{lanes} << 32;
    const SlotNumbers<kCopy> slots{layout};
    const char* const end = text.data() + text.size();
    const char* at = text.data();
    while (end - at >= static_cast<std::ptrdiff_t>(length)) {
      // No call in this loop: a call would cost the vectors their registers.
      for (; end - at >= static_cast<std::ptrdiff_t>(length); at += length) {
        // The text in both halves: lanes 0 to 31 and 32 to 63.
        const __m512i loaded = _mm512_maskz_loadu_epi8(lanes, at);
        const __m512i chars =
            _mm512_maskz_shuffle_i64x2(0xFF, loaded, loaded, 0x44);
        const __m512i highs = LookUp(high, chars);
        if (_mm512_mask_test_epi8_mask(checked, highs, highs) != checked) {
          break;
        }
        const __m512i text_and_highs =
            _mm512_mask_blend_epi8(~std::uint64_t{0} << 32, chars, highs);
        const __m512i lows = LookUp(low, chars);
        _mm512_storeu_si512(
            dst, _mm512_mask_blend_epi8(
                     fills0, pattern0,
                     _mm512_permutex2var_epi8(text_and_highs, index0, lows)));
        _mm512_storeu_si512(dst + 64, _mm512_mask_blend_epi8(
                                          fills1, pattern1,
                                          _mm512_permutex2var_epi8(
                                              text_and_highs, index1, lows)));
        dst += bytes;
      }
      if (end - at < static_cast<std::ptrdiff_t>(length)) break;
      dst = layout.WritePieceWith({at, length}, dst, slots);
      at += length;
    }
    if (at != end) {
      dst = layout.WritePieceWith({at, static_cast<std::size_t>(end - at)}, dst,
                                  slots);
    }
    return dst;
  }
  TRULVEX_AVX512 TRULVEX_INLINE_CALLS static char* Numbers(
      const TableLayout& layout, std::string_view chars, bool ends_piece,
      char* dst, std::uint64_t* count) {
    return HexNumbers(layout).template Write<true>(chars, ends_piece, dst,
                                                   count);
  }

  const TableLayout& layout;
  const ByteTable high;
  const ByteTable low;
  const __m512i pattern;
  const __m512i index;
};

#endif  // TRULVEX_VECTOR_MAPPING

template <typename Numbers>
TRULVEX_INLINE_CALLS char* TableLayout::WritePieceWith(
    std::string_view piece, char* dst, const Numbers& numbers) const {
  if (comment_line_) {
    dst = StartCommentLine(dst);
    dst = EndCommentLine(CopyShort(dst, piece.data(), piece.size()));
  }
  dst = WriteHead(dst);
  std::uint64_t count = 0;
  // Counting costs a look-up per character; only the byte count needs it.
  dst = byte_count_ ? numbers.template Write<true>(piece, true, dst, &count)
                    : numbers.template Write<false>(piece, true, dst, &count);
  return WriteTail(count, dst);
}

template <typename Numbers>
TRULVEX_INLINE_CALLS char* TableLayout::WritePiecesWith(
    std::string_view text, std::size_t length, char* dst,
    const Numbers& numbers) const {
  for (std::size_t offset = 0; offset < text.size(); offset += length) {
    dst = WritePieceWith(text.substr(offset, length), dst, numbers);
  }
  return dst;
}

namespace {

// Pieces and blocks shorter than this go slot by slot: loading the vector
// tables would cost more than it saves.
constexpr std::size_t kVectorFrom = 16;

// Calls `write` with the copy width as a compile-time constant.
template <typename Write>
char* WithCopy(TableLayout::Copy copy, const Write& write) {
  using Copy = TableLayout::Copy;
  switch (copy) {
    case Copy::kHalf:
      return write(std::integral_constant<Copy, Copy::kHalf>());
    case Copy::kSlot:
      return write(std::integral_constant<Copy, Copy::kSlot>());
    case Copy::kDirect:
      break;
  }
  return write(std::integral_constant<Copy, Copy::kDirect>());
}

}  // namespace

char* TableLayout::WriteNumbers(std::string_view chars, bool ends_piece,
                                char* dst, std::uint64_t* count) const {
  return WithCopy(copy_, [&](auto copy) {
    constexpr Copy kCopy = decltype(copy)::value;
#if TRULVEX_VECTOR_MAPPING
    if constexpr (kCopy != Copy::kDirect) {
      if (hex_groups_ && chars.size() >= kVectorFrom) {
        return HexNumbers<kCopy>::Numbers(*this, chars, ends_piece, dst, count);
      }
    }
#endif
    return WriteNumbersWith<kCopy, true>(chars, ends_piece, dst, count);
  });
}

char* TableLayout::WritePiece(std::string_view piece, char* dst) const {
  return WritePieces(piece, std::max<std::size_t>(piece.size(), 1), dst);
}

char* TableLayout::WritePieces(std::string_view text, std::size_t length,
                               char* dst) const {
  return WithCopy(copy_, [&](auto copy) {
    constexpr Copy kCopy = decltype(copy)::value;
#if TRULVEX_VECTOR_MAPPING
    if constexpr (kCopy != Copy::kDirect) {
      if (hex_groups_ && length >= 8) {
        return HexNumbers<kCopy>::Pieces(*this, text, length, dst);
      }
    }
#endif
    return WritePiecesWith(text, length, dst, SlotNumbers<kCopy>{*this});
  });
}

void FormatLinePiece(std::string_view piece, const ProfileRecord& profile,
                     std::string* out) {
  const TableLayout layout(profile);
  const std::size_t start = out->size();
  out->resize(start + layout.PieceRoom(piece.size()));
  char* const end = layout.WritePiece(piece, out->data() + start);
  out->resize(static_cast<std::size_t>(end - out->data()));
}

}  // namespace trulvex
