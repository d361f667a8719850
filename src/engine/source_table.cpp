#include "engine/source_table.h"

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
  fixed_slots_ = max_item_ <= kSlot;
  if (!fixed_slots_) return;
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

void TableLayout::AppendCommentLine(std::string_view piece,
                                    OutputBuffer* out) const {
  if (!comment_line_) return;
  out->Append(comment_);
  out->Append(piece);
  out->Append(kLineEnd);
}

void TableLayout::AppendTail(std::uint64_t byte_count,
                             OutputBuffer* out) const {
  out->Append(end_data_blok_);
  if (byte_count_) {
    out->Append(" ");
    out->Append(comment_);
    out->Append(std::to_string(byte_count));
  }
  out->Append(kLineEnd);
}

template <bool kFixedSlots>
std::size_t TableLayout::AppendNumbersImpl(std::string_view chars,
                                           bool ends_piece,
                                           OutputBuffer* out) const {
  // Blocks keep the room reserved ahead small for very long pieces.
  constexpr std::size_t kBlock = 4096;
  const std::size_t item_room = kFixedSlots ? kSlot : max_item_;
  std::size_t displayable = 0;
  for (std::size_t start = 0; start < chars.size(); start += kBlock) {
    const std::size_t end = std::min(chars.size(), start + kBlock);
    const bool last_block = end == chars.size();
    char* dst = out->Reserve((end - start + 1) * item_room);
    for (std::size_t i = start; i < end; ++i) {
      const auto c = static_cast<std::uint8_t>(chars[i]);
      const bool separated = !(ends_piece && last_block && i + 1 == end);
      if constexpr (kFixedSlots) {
        std::memcpy(dst, &slots_[c * kSlot], kSlot);
        dst += separated ? slot_with_separator_[c] : item_lengths_[c];
      } else {
        const std::string_view item = Item(c);
        std::memcpy(dst, item.data(), item.size());
        dst += item.size();
        if (separated && CharToLcdCode(c) != 0) {
          std::memcpy(dst, separator_.data(), separator_.size());
          dst += separator_.size();
        }
      }
      displayable += CharToLcdCode(c) != 0;
    }
    out->CommitTo(dst);
  }
  return displayable;
}

std::size_t TableLayout::AppendNumbers(std::string_view chars, bool ends_piece,
                                       OutputBuffer* out) const {
  return fixed_slots_ ? AppendNumbersImpl<true>(chars, ends_piece, out)
                      : AppendNumbersImpl<false>(chars, ends_piece, out);
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
