#ifndef TRULVEX_CORE_ENGINE_SOURCE_TABLE_H_
#define TRULVEX_CORE_ENGINE_SOURCE_TABLE_H_

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/char_map.h"
#include "core/engine/output_buffer.h"
#include "core/engine/profile_record.h"

namespace trulvex {

// The number text of a display code: `si` 0 gives 8 binary digits, 1 plain
// decimal, 2 two upper-case hexadecimal digits; any other `si` gives "".
std::string FormatLcdNumber(std::uint8_t code, std::int32_t si);

// Everything a profile says about the look of the table, worked out once
// per run: the two indents, the head and tail of a data line, and the
// number text of every character with its separator.
class TableLayout {
 public:
  explicit TableLayout(const ProfileRecord& profile);

  bool writes_comment_line() const { return comment_line_; }
  bool writes_byte_count() const { return byte_count_; }
  const std::string& comment() const { return comment_; }
  // First indent, `Directive`, second indent and `StartDataBlok`.
  const std::string& head() const { return head_; }
  const std::string& end_data_blok() const { return end_data_blok_; }
  // The longest number text with its separator.
  std::size_t max_item_length() const { return max_item_; }

  // StartData + number + EndData of a text character, or "" when the
  // display cannot show it.
  std::string_view Item(std::uint8_t c) const {
    return {items_.data() + offsets_[c], item_lengths_[c]};
  }
  std::string_view separator() const { return separator_; }

  // Appends the comment line (when enabled) and the data line of one piece
  // in a single step.
  void FormatLinePiece(std::string_view piece, OutputBuffer* out) const;

  // The room WritePiece needs for a piece of `length` characters.
  std::size_t PieceRoom(std::size_t length) const {
    return 3 * kSlot + comment_.size() * 2 + head_.size() +
           end_data_blok_.size() + 32 + length * (1 + slot_room_);
  }
  // Writes what FormatLinePiece appends to `dst`, which has
  // PieceRoom(piece.size()) bytes; returns the end of what it wrote.
  char* WritePiece(std::string_view piece, char* dst) const;
  // Writes the number of one character, and the separator after it when
  // `separated` and the character is displayable, to `dst`, which has
  // PieceRoom(1) bytes. Returns the end of what it wrote.
  char* WriteOne(std::uint8_t c, bool separated, char* dst) const {
    if (copy_bytes_ != 0) {
      std::memcpy(dst, slots_.data() + c * kSlot, kSlot);
      return dst + (separated ? slot_with_separator_[c] : item_lengths_[c]);
    }
    return WriteNumbers(std::string_view(reinterpret_cast<const char*>(&c), 1),
                        !separated, dst);
  }
  // Writes the numbers of `chars` to `dst`, which has PieceRoom(chars.size())
  // bytes: each displayable one followed by the separator unless it ends the
  // piece. Returns the end of what it wrote.
  char* WriteNumbers(std::string_view chars, bool ends_piece, char* dst) const;
  // Writes the pieces of `text` cut every `length` characters; `dst` has
  // PieceRoom(length) bytes for each of them.
  char* WritePieces(std::string_view text, std::size_t length, char* dst) const;

  // The pieces of FormatLinePiece, for a run that watches every character.
  void AppendCommentLine(std::string_view piece, OutputBuffer* out) const;
  void AppendTail(std::uint64_t byte_count, OutputBuffer* out) const;
  // Appends the numbers of `chars` with a separator after each displayable
  // one, except after the piece's last character when `ends_piece` is set.
  // Returns the number of displayable characters.
  std::size_t AppendNumbers(std::string_view chars, bool ends_piece,
                            OutputBuffer* out) const;

 private:
  static constexpr std::size_t kSlot = 32;

  // kCopy is the fixed block copied per character, 0 for items too long for
  // a slot.
  template <std::size_t kCopy>
  char* WriteNumbers(std::string_view chars, bool ends_piece, char* dst) const;
  template <std::size_t kCopy>
  char* WritePieceImpl(std::string_view piece, char* dst) const;
  template <std::size_t kCopy>
  char* WritePiecesImpl(std::string_view text, std::size_t length,
                        char* dst) const;
  char* WriteTail(std::uint64_t byte_count, char* dst) const;

  bool comment_line_;
  bool byte_count_;
  std::string comment_;
  std::string head_;
  std::string end_data_blok_;
  std::string separator_;
  // The same followed by kSlot spare bytes, so that short ones are copied as
  // one fixed-size block.
  std::string padded_comment_;
  std::string padded_head_;
  std::string padded_end_data_blok_;
  // Item texts, one after another, each followed by the separator.
  std::string items_;
  std::array<std::uint32_t, 256> offsets_{};
  std::array<std::uint32_t, 256> item_lengths_{};
  std::size_t max_item_ = 0;
  // Bytes reserved per character: a whole slot, or the longest item.
  std::size_t slot_room_ = 0;
  // When every item with its separator fits kSlot bytes, each character is
  // a fixed-size copy from here; the length decides how much of it counts.
  std::size_t copy_bytes_ = 0;
  std::vector<char> slots_;
  std::array<std::uint8_t, 256> slot_with_separator_{};
};

// Appends the comment line and the data line of `piece` for `profile`.
void FormatLinePiece(std::string_view piece, const ProfileRecord& profile,
                     std::string* out);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_SOURCE_TABLE_H_
