#include "core/engine/source_table.h"

#include <algorithm>
#include <cstring>

#include "core/engine/char_map.h"

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

TableLayout::TableLayout(const ProfileRecord& profile)
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

template <TableLayout::Copy kCopy>
TRULVEX_INLINE_CALLS char* TableLayout::WritePieceWith(std::string_view piece,
                                                       char* dst) const {
  if (comment_line_) {
    dst = StartCommentLine(dst);
    dst = EndCommentLine(CopyShort(dst, piece.data(), piece.size()));
  }
  dst = WriteHead(dst);
  std::uint64_t count = 0;
  // Counting costs a look-up per character; only the byte count needs it.
  dst = byte_count_ ? WriteNumbersWith<kCopy, true>(piece, true, dst, &count)
                    : WriteNumbersWith<kCopy, false>(piece, true, dst, &count);
  return WriteTail(count, dst);
}

template <TableLayout::Copy kCopy>
TRULVEX_INLINE_CALLS char* TableLayout::WritePiecesWith(std::string_view text,
                                                        std::size_t length,
                                                        char* dst) const {
  for (std::size_t offset = 0; offset < text.size(); offset += length) {
    dst = WritePieceWith<kCopy>(text.substr(offset, length), dst);
  }
  return dst;
}

char* TableLayout::WriteNumbers(std::string_view chars, bool ends_piece,
                                char* dst, std::uint64_t* count) const {
  switch (copy_) {
    case Copy::kHalf:
      return WriteNumbersWith<Copy::kHalf, true>(chars, ends_piece, dst, count);
    case Copy::kSlot:
      return WriteNumbersWith<Copy::kSlot, true>(chars, ends_piece, dst, count);
    case Copy::kDirect:
      break;
  }
  return WriteNumbersWith<Copy::kDirect, true>(chars, ends_piece, dst, count);
}

char* TableLayout::WritePiece(std::string_view piece, char* dst) const {
  switch (copy_) {
    case Copy::kHalf:
      return WritePieceWith<Copy::kHalf>(piece, dst);
    case Copy::kSlot:
      return WritePieceWith<Copy::kSlot>(piece, dst);
    case Copy::kDirect:
      break;
  }
  return WritePieceWith<Copy::kDirect>(piece, dst);
}

char* TableLayout::WritePieces(std::string_view text, std::size_t length,
                               char* dst) const {
  switch (copy_) {
    case Copy::kHalf:
      return WritePiecesWith<Copy::kHalf>(text, length, dst);
    case Copy::kSlot:
      return WritePiecesWith<Copy::kSlot>(text, length, dst);
    case Copy::kDirect:
      break;
  }
  return WritePiecesWith<Copy::kDirect>(text, length, dst);
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
