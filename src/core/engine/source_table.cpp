#include "core/engine/source_table.h"

#include <algorithm>
#include <cstring>

namespace trulvex {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

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
      separator_(profile.RazdelitelData) {
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t code = CharToLcdCode(static_cast<std::uint8_t>(c));
    offsets_[c] = static_cast<std::uint32_t>(items_.size());
    if (code == 0) continue;
    const std::string item =
        profile.StartData + FormatLcdNumber(code, profile.SI) + profile.EndData;
    item_lengths_[c] = static_cast<std::uint32_t>(item.size());
    items_ += item;
    max_item_ = std::max(max_item_, item.size() + separator_.size());
  }
  const bool fixed_slots = max_item_ <= kSlot;
  copy_bytes_ = max_item_ <= 16 ? 16 : fixed_slots ? kSlot : 0;
  slot_room_ = fixed_slots ? kSlot : std::max<std::size_t>(max_item_, 1);
  const std::string padding(kSlot, '\0');
  padded_comment_ = comment_ + padding;
  padded_head_ = head_ + padding;
  padded_end_data_blok_ = end_data_blok_ + padding;
  if (!fixed_slots) return;
  slots_.assign(256 * kSlot, '\0');
  for (int c = 0; c < 256; ++c) {
    if (CharToLcdCode(static_cast<std::uint8_t>(c)) == 0) continue;
    char* slot = &slots_[static_cast<std::size_t>(c) * kSlot];
    const std::string_view item = Item(static_cast<std::uint8_t>(c));
    std::memcpy(slot, item.data(), item.size());
    std::memcpy(slot + item.size(), separator_.data(), separator_.size());
    slot_with_separator_[c] =
        static_cast<std::uint8_t>(item.size() + separator_.size());
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

void TableLayout::AppendCommentLine(std::string_view piece,
                                    OutputBuffer* out) const {
  if (!comment_line_) return;
  out->Append(comment_);
  out->Append(piece);
  out->Append(kLineEnd);
}

inline char* TableLayout::WriteTail(std::uint64_t byte_count, char* dst) const {
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

void TableLayout::AppendTail(std::uint64_t byte_count,
                             OutputBuffer* out) const {
  char* dst = out->Reserve(end_data_blok_.size() + comment_.size() + 3 * kSlot);
  out->CommitTo(WriteTail(byte_count, dst));
}

template <std::size_t kCopy>
char* TableLayout::WriteNumbers(std::string_view chars, bool ends_piece,
                                char* dst) const {
  // Locals, not members: stores through `dst` may alias any member, which
  // would make the compiler reload them for every character.
  const char* const slots = slots_.data();
  const std::uint8_t* const lengths = slot_with_separator_.data();
  const auto* const text = reinterpret_cast<const std::uint8_t*>(chars.data());
  // The last character of a piece takes no separator.
  const std::size_t separated =
      ends_piece && !chars.empty() ? chars.size() - 1 : chars.size();
  for (std::size_t i = 0; i < separated; ++i) {
    const std::uint8_t c = text[i];
    if constexpr (kCopy != 0) {
      std::memcpy(dst, slots + c * kSlot, kCopy);
      dst += lengths[c];
    } else {
      const std::string_view item = Item(c);
      std::memcpy(dst, item.data(), item.size());
      dst += item.size();
      if (CharToLcdCode(c) != 0) {
        std::memcpy(dst, separator_.data(), separator_.size());
        dst += separator_.size();
      }
    }
  }
  if (separated != chars.size()) {
    const auto c = static_cast<std::uint8_t>(chars.back());
    if constexpr (kCopy != 0) {
      std::memcpy(dst, slots + c * kSlot, kCopy);
      dst += item_lengths_[c];
    } else {
      const std::string_view item = Item(c);
      std::memcpy(dst, item.data(), item.size());
      dst += item.size();
    }
  }
  return dst;
}

char* TableLayout::WriteNumbers(std::string_view chars, bool ends_piece,
                                char* dst) const {
  switch (copy_bytes_) {
    case 16:
      return WriteNumbers<16>(chars, ends_piece, dst);
    case kSlot:
      return WriteNumbers<kSlot>(chars, ends_piece, dst);
    default:
      return WriteNumbers<0>(chars, ends_piece, dst);
  }
}

namespace {

std::size_t CountDisplayable(std::string_view chars) {
  std::size_t count = 0;
  for (const char c : chars)
    count += IsDisplayable(static_cast<std::uint8_t>(c));
  return count;
}

}  // namespace

std::size_t TableLayout::AppendNumbers(std::string_view chars, bool ends_piece,
                                       OutputBuffer* out) const {
  // Blocks keep the room reserved ahead small for very long pieces.
  constexpr std::size_t kBlock = 4096;
  std::size_t displayable = 0;
  for (std::size_t start = 0; start < chars.size(); start += kBlock) {
    const std::string_view block = chars.substr(start, kBlock);
    const bool last = start + block.size() == chars.size();
    char* dst = out->Reserve((block.size() + 1) * slot_room_);
    out->CommitTo(WriteNumbers(block, ends_piece && last, dst));
    displayable += CountDisplayable(block);
  }
  return displayable;
}

template <std::size_t kCopy>
char* TableLayout::WritePieceImpl(std::string_view piece, char* dst) const {
  if (comment_line_) {
    dst = CopyPadded<kSlot>(dst, padded_comment_, comment_.size());
    dst = CopyShort(dst, piece.data(), piece.size());
    *dst++ = '\r';
    *dst++ = '\n';
  }
  dst = CopyPadded<kSlot>(dst, padded_head_, head_.size());
  dst = WriteNumbers<kCopy>(piece, true, dst);
  // Counting costs a second look at the piece; only the byte count needs it.
  return WriteTail(byte_count_ ? CountDisplayable(piece) : 0, dst);
}

template <std::size_t kCopy>
char* TableLayout::WritePiecesImpl(std::string_view text, std::size_t length,
                                   char* dst) const {
  for (std::size_t offset = 0; offset < text.size(); offset += length) {
    dst = WritePieceImpl<kCopy>(text.substr(offset, length), dst);
  }
  return dst;
}

char* TableLayout::WritePiece(std::string_view piece, char* dst) const {
  switch (copy_bytes_) {
    case 16:
      return WritePieceImpl<16>(piece, dst);
    case kSlot:
      return WritePieceImpl<kSlot>(piece, dst);
    default:
      return WritePieceImpl<0>(piece, dst);
  }
}

char* TableLayout::WritePieces(std::string_view text, std::size_t length,
                               char* dst) const {
  switch (copy_bytes_) {
    case 16:
      return WritePiecesImpl<16>(text, length, dst);
    case kSlot:
      return WritePiecesImpl<kSlot>(text, length, dst);
    default:
      return WritePiecesImpl<0>(text, length, dst);
  }
}

void TableLayout::FormatLinePiece(std::string_view piece,
                                  OutputBuffer* out) const {
  AppendCommentLine(piece, out);
  out->Append(head_);
  const std::size_t count = AppendNumbers(piece, true, out);
  AppendTail(count, out);
}

void FormatLinePiece(std::string_view piece, const ProfileRecord& profile,
                     std::string* out) {
  OutputBuffer buffer;
  TableLayout(profile).FormatLinePiece(piece, &buffer);
  out->append(buffer.view());
}

}  // namespace trulvex
