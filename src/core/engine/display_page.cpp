#include "core/engine/display_page.h"

#include <algorithm>
#include <charconv>

#include "core/base/cp1251.h"
#include "core/engine/char_map.h"
#include "core/engine/text_preparation.h"

namespace trulvex {
namespace {

constexpr char kTab = '\t';

bool NeedsCleaning(const ProfileRecord& profile) {
  return profile.DeleteSpace == 1 || profile.DeleteSumbolError == 1;
}

class PageBuilder {
 public:
  PageBuilder(DisplaySize size, const ProfileRecord& profile,
              std::size_t number)
      : profile_(profile) {
    page_.size = size;
    page_.number = number;
    page_.cells.resize(static_cast<std::size_t>(size.columns * size.rows));
  }

  void AddLine(int row, std::string_view line) {
    // The line as the conversion takes it: cleaned, tabs as spaces.
    std::string cleaned(line);
    if (NeedsCleaning(profile_)) {
      cleaned = CleanText(std::move(cleaned), profile_.DeleteSpace,
                          profile_.CountSpace, profile_.DeleteSumbolError);
    }
    const std::string shown = NormalizePiece(cleaned);
    const auto shown_count = static_cast<std::size_t>(
        std::count_if(shown.begin(), shown.end(),
                      [](char c) { return IsDisplayable(Byte(c)); }));
    const int columns = page_.size.columns;
    const bool cut = shown_count > static_cast<std::size_t>(columns);

    // Cleaning only deletes characters (the first spaces of a run stay, the
    // rest go) and may turn a tab into a space, so the characters that stay
    // are found again in order; those it deleted that the display cannot
    // show are marked like the ones the mapping leaves out.
    std::size_t kept = 0;
    int column = 0;
    for (const char original : line) {
      const bool stays =
          kept < cleaned.size() && (cleaned[kept] == original ||
                                    (original == kTab && cleaned[kept] == ' '));
      const std::uint8_t c = Byte(stays ? shown[kept++] : original);
      const std::uint8_t code = stays ? CharToLcdCode(c) : 0;
      if (code == 0) {
        const bool unshowable = stays || (!IsDisplayable(c) && c != kTab);
        // Past a cut only the cut itself is reported.
        if (unshowable && (column < columns || (column == columns && !cut))) {
          Mark(MarkReason::kUnshowable, row, column, c);
        }
        continue;
      }
      if (column < columns) {
        Cell(row, column).code = code;
      } else {
        // Nothing past the cut shows or is told: the rest of a long line
        // costs no more.
        Mark(MarkReason::kCut, row, column, c).cut = shown_count - columns;
        break;
      }
      ++column;
    }
  }

  DisplayPage Take() { return std::move(page_); }

 private:
  static std::uint8_t Byte(char c) { return static_cast<std::uint8_t>(c); }

  DisplayCell& Cell(int row, int column) {
    return page_
        .cells[static_cast<std::size_t>(row * page_.size.columns + column)];
  }

  DisplayMark& Mark(MarkReason reason, int row, int column,
                    std::uint8_t character) {
    const int shown_on = std::min(column, page_.size.columns - 1);
    Cell(row, shown_on).marks |=
        reason == MarkReason::kCut ? kCellCut : kCellUnshowable;
    page_.marks.push_back({reason, row, column, character});
    return page_.marks.back();
  }

  const ProfileRecord& profile_;
  DisplayPage page_;
};

std::string CharacterName(std::uint8_t c) {
  if (c == kUnmappableByte) return "знак вне кодовой страницы 1251";
  if (c == 0xA0) return "неразрывный пробел";
  if (c < 0x20 || c == 0x7F) {
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string("управляющий знак 0x") + kDigits[c >> 4] +
           kDigits[c & 15];
  }
  return "\"" + Cp1251ToUtf8(std::string(1, static_cast<char>(c))) + "\"";
}

}  // namespace

std::optional<DisplaySize> ParseDisplaySize(std::string_view text) {
  // The separator: x or X, Latin or Cyrillic (UTF-8 or code page 1251).
  static constexpr std::string_view kSeparators[] = {
      "x", "X", "\xD1\x85", "\xD0\xA5", "\xF5", "\xD5"};
  for (const std::string_view separator : kSeparators) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) continue;
    const std::string_view left = text.substr(0, at);
    const std::string_view right = text.substr(at + separator.size());
    DisplaySize size{0, 0};
    const auto columns =
        std::from_chars(left.data(), left.data() + left.size(), size.columns);
    const auto rows =
        std::from_chars(right.data(), right.data() + right.size(), size.rows);
    if (columns.ec != std::errc() || columns.ptr != left.data() + left.size() ||
        rows.ec != std::errc() || rows.ptr != right.data() + right.size()) {
      return std::nullopt;
    }
    if (std::find(kDisplaySizes.begin(), kDisplaySizes.end(), size) ==
        kDisplaySizes.end()) {
      return std::nullopt;
    }
    return size;
  }
  return std::nullopt;
}

std::string DisplaySizeName(DisplaySize size) {
  return std::to_string(size.columns) + "x" + std::to_string(size.rows);
}

std::vector<DisplayMark> DisplayPage::MarksAt(int row, int column) const {
  std::vector<DisplayMark> found;
  for (const DisplayMark& mark : marks) {
    if (mark.row == row && std::min(mark.column, size.columns - 1) == column) {
      found.push_back(mark);
    }
  }
  return found;
}

std::vector<std::string_view> SplitDisplayLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
      ++start;
    }
    if (start == text.size()) break;
  }
  return lines;
}

std::size_t DisplayPageCount(std::size_t line_count, DisplaySize size) {
  const auto rows = static_cast<std::size_t>(size.rows);
  return std::max<std::size_t>(1, (line_count + rows - 1) / rows);
}

DisplayPage LayOutPage(std::span<const std::string_view> lines,
                       DisplaySize size, const ProfileRecord& profile,
                       std::size_t number) {
  PageBuilder builder(size, profile, number);
  const std::size_t rows =
      std::min(lines.size(), static_cast<std::size_t>(size.rows));
  for (std::size_t row = 0; row < rows; ++row) {
    builder.AddLine(static_cast<int>(row), lines[row]);
  }
  return builder.Take();
}

std::string DescribeMark(const DisplayMark& mark, DisplaySize size) {
  if (mark.reason == MarkReason::kCut) {
    return CharacterName(mark.character) + " и дальше — строка длиннее " +
           std::to_string(size.columns) +
           " знаков, обрезано знаков: " + std::to_string(mark.cut);
  }
  return CharacterName(mark.character) +
         " — нет в знакогенераторе индикатора, не выводится";
}

}  // namespace trulvex
