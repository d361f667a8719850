#ifndef TRULVEX_CORE_ENGINE_DISPLAY_PICTURE_H_
#define TRULVEX_CORE_ENGINE_DISPLAY_PICTURE_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/engine/display_page.h"

namespace trulvex {

// The look of the module: yellow-green with dark dots, blue with light
// dots, or white with black dots.
enum class DisplayTheme { kGreen, kBlue, kWhite };

std::optional<DisplayTheme> ParseDisplayTheme(std::string_view name);
std::string_view DisplayThemeName(DisplayTheme theme);

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct ThemeColours {
  Rgb backlight;  // the glass between the dots
  Rgb unlit;      // a dot that is off, faintly visible as on the module
  Rgb lit;        // a dot that is on
  Rgb frame;      // the strip between two pages of one picture
};

ThemeColours ColoursOf(DisplayTheme theme);

// Cut and unshowable characters are outlined in this colour.
inline constexpr Rgb kMarkColour{230, 0, 0};

// The largest scale a picture may be drawn at.
inline constexpr int kMaxDisplayScale = 32;

// Where the parts of a page go, in pixels, with `scale` pixels per dot
// pitch. Characters are one pitch apart, the glass has a margin of two
// pitches; a dot leaves a quarter of its pitch dark towards the next one.
class DisplayGeometry {
 public:
  // `scale` is clamped to 1 to kMaxDisplayScale.
  DisplayGeometry(DisplaySize size, int scale);

  DisplaySize size() const { return size_; }
  int scale() const { return scale_; }
  int width() const;
  int height() const;  // of one page
  // A picture of several pages puts them one below the other.
  int page_gap() const { return 2 * scale_; }

  int CellLeft(int column) const;
  int CellTop(int row) const;
  int cell_width() const { return 5 * scale_ - dot_gap(); }
  int cell_height() const { return 8 * scale_ - dot_gap(); }
  int dot_gap() const { return scale_ / 4; }
  // The outline of a marked cell: its rectangle grown by this much on every
  // side, then a ring `mark_width` pixels wide.
  int mark_offset() const;
  int mark_width() const { return scale_ >= 4 ? scale_ / 4 : 1; }

  // The cell under a pixel of the page (including the glass around the
  // cell up to halfway to its neighbours), if any.
  bool CellAt(int x, int y, int* row, int* column) const;

 private:
  DisplaySize size_;
  int scale_;
};

// A picture in 8-bit RGB, row after row, top row first.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  Rgb At(int x, int y) const;
  const std::uint8_t* Row(int y) const {
    return pixels.data() + static_cast<std::size_t>(y) * width * 3;
  }
};

// The page as the module shows it, its marked cells outlined.
RgbImage DrawDisplayPage(const DisplayPage& page, DisplayTheme theme,
                         int scale);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_DISPLAY_PICTURE_H_
