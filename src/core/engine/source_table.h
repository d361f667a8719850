#ifndef TRULVEX_CORE_ENGINE_SOURCE_TABLE_H_
#define TRULVEX_CORE_ENGINE_SOURCE_TABLE_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/profile_record.h"

namespace trulvex {

// The number text of a display code: `si` 0 gives 8 binary digits, 1 plain
// decimal, 2 two upper-case hexadecimal digits; any other `si` gives "".
std::string FormatLcdNumber(std::uint8_t code, std::int32_t si);

// Everything a profile says about the look of the table, worked out once
// per run, and the one writer of its lines. Writers take a `dst` with the
// room the matching ...Room function names and return the end of what they
// wrote; they may scribble up to that room past it.
class TableLayout {
 public:
  // How an item is copied: a whole slot, half a slot, or each part as it is
  // (items too long for a slot, so that a long StartData is never copied
  // per code).
  enum class Copy { kHalf, kSlot, kDirect };

  // `vector` false keeps to the portable writer, which the vector one must
  // match.
  explicit TableLayout(const ProfileRecord& profile, bool vector = true);

  // The comment line (when enabled) and the data line of one piece.
  std::size_t PieceRoom(std::size_t length) const {
    return CommentRoom(length) + HeadRoom() + NumbersRoom(length) + TailRoom();
  }
  char* WritePiece(std::string_view piece, char* dst) const;
  // The pieces of `text` cut every `length` characters; room: PieceRoom
  // (length) for each.
  char* WritePieces(std::string_view text, std::size_t length, char* dst) const;

  // The parts of a piece, for a long piece written in blocks.
  bool writes_comment_line() const { return comment_line_; }
  std::size_t CommentRoom(std::size_t length) const {
    return comment_line_ ? comment_.size() + length + 2 * kSlot + 2 : 0;
  }
  // `Comment`, then the piece's text; the line is ended by EndCommentLine.
  char* StartCommentLine(char* dst) const;
  static char* EndCommentLine(char* dst);
  std::size_t HeadRoom() const { return head_.size() + kSlot; }
  char* WriteHead(char* dst) const;
  // The numbers of `chars`, each displayable one followed by the separator
  // unless it is the last character of a piece that `ends_piece`; adds the
  // number of displayable characters to `count`.
  std::size_t NumbersRoom(std::size_t count) const {
    return (count + 1) * slot_room_;
  }
  char* WriteNumbers(std::string_view chars, bool ends_piece, char* dst,
                     std::uint64_t* count) const;
  std::size_t TailRoom() const {
    return end_data_blok_.size() + comment_.size() + 2 * kSlot + 24;
  }
  char* WriteTail(std::uint64_t byte_count, char* dst) const;

 private:
  static constexpr std::size_t kSlot = 32;

  // Writers of the numbers of a piece: slot by slot, or hexadecimal items
  // a group at a time with vector instructions. Each has
  // `template <bool kCount> char* Write(chars, ends_piece, dst, count)`.
  template <Copy kCopy>
  struct SlotNumbers;
  template <Copy kCopy>
  struct HexNumbers;

  template <Copy kCopy, bool kCount>
  char* WriteNumbersWith(std::string_view chars, bool ends_piece, char* dst,
                         std::uint64_t* count) const;
  template <typename Numbers>
  char* WritePieceWith(std::string_view piece, char* dst,
                       const Numbers& numbers) const;
  template <typename Numbers>
  char* WritePiecesWith(std::string_view text, std::size_t length, char* dst,
                        const Numbers& numbers) const;
  // Writes the number with StartData and EndData of a displayable
  // character, and the separator after it when `separated`.
  char* WriteItemDirect(std::uint8_t c, bool separated, char* dst) const;

  bool comment_line_;
  bool byte_count_;
  std::string comment_;
  std::string head_;
  std::string end_data_blok_;
  std::string start_data_;
  std::string end_data_;
  std::string separator_;
  // The same followed by kSlot spare bytes, so that short ones are copied as
  // one fixed-size block.
  std::string padded_comment_;
  std::string padded_head_;
  std::string padded_end_data_blok_;
  // The number text of every character's code (empty when undisplayable).
  std::array<std::array<char, 8>, 256> numbers_{};
  std::array<std::uint8_t, 256> number_lengths_{};
  std::array<std::uint8_t, 256> displayable_{};  // 1 for a displayable one
  Copy copy_ = Copy::kDirect;
  // Bytes reserved per character: a whole slot, or the longest item.
  std::size_t slot_room_ = 0;
  // With slots: StartData, number, EndData and separator of each character
  // in kSlot bytes, and the lengths that count without and with the
  // separator.
  std::vector<char> slots_;
  std::array<std::uint8_t, 256> item_lengths_{};
  std::array<std::uint8_t, 256> slot_lengths_{};

  // Hexadecimal items are all equally long: where the processor allows, a
  // group of them is written at once as a fixed pattern whose two digits
  // per item come from the digit tables (a high digit of 0 marks a
  // character the display cannot show).
  bool hex_groups_ = false;
  std::size_t group_items_ = 0;  // items of a group, each `step` bytes
  std::size_t step_ = 0;
  std::array<std::uint8_t, 256> high_digits_{};
  std::array<std::uint8_t, 256> low_digits_{};
  std::array<std::uint8_t, 64> group_pattern_{};
  std::array<std::uint8_t, 64> group_index_{};  // where each digit comes from
  std::uint64_t group_digits_ = 0;              // the digits' positions
  // A whole piece of `CountByte` characters, all displayable, in at most
  // two vectors: the piece's text and digits filled into a fixed pattern.
  std::size_t piece_length_ = 0;  // 0: no such pattern
  std::size_t piece_bytes_ = 0;
  std::array<std::uint8_t, 128> piece_pattern_{};
  std::array<std::uint8_t, 128> piece_index_{};
  std::array<std::uint64_t, 2> piece_fills_{};  // where the pattern is filled
};

// Appends the comment line and the data line of `piece` for `profile`.
void FormatLinePiece(std::string_view piece, const ProfileRecord& profile,
                     std::string* out);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_SOURCE_TABLE_H_
