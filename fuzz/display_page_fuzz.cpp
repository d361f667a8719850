// The display preview: every page of any text, with any cleaning and size,
// holds exactly the codes the conversion writes for each line, marks a cut
// exactly when a line is too long, and draws as text and as a picture.
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/char_map.h"
#include "core/engine/code_mapping.h"
#include "core/engine/display_art.h"
#include "core/engine/display_page.h"
#include "core/engine/display_picture.h"
#include "core/engine/lcd_glyphs.h"
#include "core/engine/text_preparation.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace trulvex;

// The codes the conversion writes for one line of the text.
std::string ConvertedLine(std::string_view line, const ProfileRecord& profile) {
  std::string text(line);
  if (profile.DeleteSpace == 1 || profile.DeleteSumbolError == 1) {
    text = CleanText(std::move(text), profile.DeleteSpace, profile.CountSpace,
                     profile.DeleteSumbolError);
  }
  return MapToLcdCodes(NormalizePiece(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes,
                                      std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  ProfileRecord profile;
  profile.DeleteSpace = data.ConsumeIntegralInRange<std::uint8_t>(0, 2);
  profile.DeleteSumbolError = data.ConsumeIntegralInRange<std::uint8_t>(0, 2);
  profile.CountSpace = data.ConsumeIntegral<std::uint8_t>();
  const DisplaySize display =
      kDisplaySizes[data.ConsumeIntegralInRange<std::size_t>(
          0, kDisplaySizes.size() - 1)];
  const int scale = data.ConsumeIntegralInRange(1, 3);
  const std::string text = data.ConsumeRemainingBytesAsString();

  const std::vector<std::string_view> lines = SplitDisplayLines(text);
  std::size_t breaks = 0;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      breaks += !(text[i] == '\n' && i > 0 && text[i - 1] == '\r');
    } else {
      ++characters;
    }
  }
  const bool open_end =
      !text.empty() && text.back() != '\n' && text.back() != '\r';
  FUZZ_CHECK(lines.size() == breaks + (open_end ? 1 : 0));
  std::size_t line_characters = 0;
  for (const std::string_view line : lines) {
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
    line_characters += line.size();
  }
  FUZZ_CHECK(line_characters == characters);

  const auto rows = static_cast<std::size_t>(display.rows);
  const auto columns = static_cast<std::size_t>(display.columns);
  const std::size_t pages = DisplayPageCount(lines.size(), display);
  for (std::size_t number = 0; number < pages && number < 8; ++number) {
    const std::size_t first = std::min(lines.size(), number * rows);
    const std::span<const std::string_view> page_lines =
        std::span(lines).subspan(first, std::min(rows, lines.size() - first));
    const DisplayPage page = LayOutPage(page_lines, display, profile, number);
    FUZZ_CHECK(page.cells.size() == rows * columns);
    for (std::size_t row = 0; row < rows; ++row) {
      const std::string converted =
          row < page_lines.size() ? ConvertedLine(page_lines[row], profile)
                                  : std::string();
      std::string shown;
      for (std::size_t column = 0; column < columns; ++column) {
        shown += static_cast<char>(
            page.at(static_cast<int>(row), static_cast<int>(column)).code);
      }
      std::string expected = converted.substr(0, columns);
      expected.resize(columns, ' ');
      FUZZ_CHECK(shown == expected);
      std::size_t cuts = 0;
      for (const DisplayMark& mark : page.marks) {
        if (mark.row != static_cast<int>(row)) continue;
        FUZZ_CHECK(mark.column >= 0 && mark.column <= display.columns);
        if (mark.reason == MarkReason::kCut) {
          ++cuts;
          FUZZ_CHECK(mark.cut == converted.size() - columns);
        } else {
          FUZZ_CHECK(!IsDisplayable(mark.character));
        }
        FUZZ_CHECK(!DescribeMark(mark, display).empty());
      }
      FUZZ_CHECK(cuts == (converted.size() > columns ? 1u : 0u));
    }
    const std::string art = DisplayPageArt(page);
    FUZZ_CHECK(art.size() ==
               rows * kGlyphRows * (columns * (kGlyphColumns + 1)) + rows - 1);
    const RgbImage picture = DrawDisplayPage(page, DisplayTheme::kGreen, scale);
    const DisplayGeometry geometry(display, scale);
    FUZZ_CHECK(picture.width == geometry.width() &&
               picture.height == geometry.height());
    FUZZ_CHECK(picture.pixels.size() ==
               static_cast<std::size_t>(picture.width) * picture.height * 3);
  }
  return 0;
}
