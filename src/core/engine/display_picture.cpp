#include "core/engine/display_picture.h"

#include <algorithm>

#include "core/engine/lcd_glyphs.h"

namespace trulvex {
namespace {

constexpr int kMarginDots = 2;
constexpr int kCellPitchX = kGlyphColumns + 1;  // dots, gap included
constexpr int kCellPitchY = kGlyphRows + 1;

void Fill(RgbImage* image, int left, int top, int width, int height,
          Rgb colour) {
  const int right = std::min(image->width, left + width);
  const int bottom = std::min(image->height, top + height);
  for (int y = std::max(0, top); y < bottom; ++y) {
    std::uint8_t* p =
        image->pixels.data() +
        (static_cast<std::size_t>(y) * image->width + std::max(0, left)) * 3;
    for (int x = std::max(0, left); x < right; ++x) {
      *p++ = colour.red;
      *p++ = colour.green;
      *p++ = colour.blue;
    }
  }
}

}  // namespace

std::optional<DisplayTheme> ParseDisplayTheme(std::string_view name) {
  if (name == "green") return DisplayTheme::kGreen;
  if (name == "blue") return DisplayTheme::kBlue;
  if (name == "white") return DisplayTheme::kWhite;
  return std::nullopt;
}

std::string_view DisplayThemeName(DisplayTheme theme) {
  switch (theme) {
    case DisplayTheme::kBlue:
      return "blue";
    case DisplayTheme::kWhite:
      return "white";
    case DisplayTheme::kGreen:
      break;
  }
  return "green";
}

ThemeColours ColoursOf(DisplayTheme theme) {
  switch (theme) {
    case DisplayTheme::kBlue:
      return {{24, 66, 214}, {36, 82, 226}, {236, 244, 255}, {32, 32, 40}};
    case DisplayTheme::kWhite:
      return {{232, 236, 232}, {218, 222, 218}, {28, 30, 34}, {32, 32, 40}};
    case DisplayTheme::kGreen:
      break;
  }
  return {{156, 196, 40}, {142, 182, 36}, {22, 40, 18}, {32, 32, 40}};
}

DisplayGeometry::DisplayGeometry(DisplaySize size, int scale)
    : size_(size), scale_(std::clamp(scale, 1, kMaxDisplayScale)) {}

int DisplayGeometry::width() const {
  return (2 * kMarginDots + size_.columns * kCellPitchX - 1) * scale_;
}

int DisplayGeometry::height() const {
  return (2 * kMarginDots + size_.rows * kCellPitchY - 1) * scale_;
}

int DisplayGeometry::CellLeft(int column) const {
  return (kMarginDots + column * kCellPitchX) * scale_;
}

int DisplayGeometry::CellTop(int row) const {
  return (kMarginDots + row * kCellPitchY) * scale_;
}

int DisplayGeometry::mark_offset() const {
  // Halfway into the glass towards the neighbouring cell.
  return std::max(0, (scale_ + dot_gap() - mark_width()) / 2);
}

bool DisplayGeometry::CellAt(int x, int y, int* row, int* column) const {
  const int half = (scale_ + dot_gap()) / 2;
  for (int r = 0; r < size_.rows; ++r) {
    if (y < CellTop(r) - half || y >= CellTop(r) + cell_height() + half) {
      continue;
    }
    for (int c = 0; c < size_.columns; ++c) {
      if (x >= CellLeft(c) - half && x < CellLeft(c) + cell_width() + half) {
        *row = r;
        *column = c;
        return true;
      }
    }
  }
  return false;
}

Rgb RgbImage::At(int x, int y) const {
  const std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * 3;
  return {p[0], p[1], p[2]};
}

RgbImage DrawDisplayPage(const DisplayPage& page, DisplayTheme theme,
                         int scale) {
  const DisplayGeometry geometry(page.size, scale);
  const ThemeColours colours = ColoursOf(theme);
  RgbImage image;
  image.width = geometry.width();
  image.height = geometry.height();
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  Fill(&image, 0, 0, image.width, image.height, colours.backlight);
  const int pitch = geometry.scale();
  const int dot = pitch - geometry.dot_gap();
  for (int row = 0; row < page.size.rows; ++row) {
    for (int column = 0; column < page.size.columns; ++column) {
      const DisplayCell& cell = page.at(row, column);
      const LcdGlyph& glyph = GlyphOf(cell.code);
      const int left = geometry.CellLeft(column);
      const int top = geometry.CellTop(row);
      for (int y = 0; y < kGlyphRows; ++y) {
        for (int x = 0; x < kGlyphColumns; ++x) {
          Fill(&image, left + x * pitch, top + y * pitch, dot, dot,
               GlyphDot(glyph, y, x) ? colours.lit : colours.unlit);
        }
      }
      if (cell.marks == 0) continue;
      const int grow = geometry.mark_offset();
      const int ring = geometry.mark_width();
      const int outer_left = left - grow - ring;
      const int outer_top = top - grow - ring;
      const int outer_width = geometry.cell_width() + 2 * (grow + ring);
      const int outer_height = geometry.cell_height() + 2 * (grow + ring);
      Fill(&image, outer_left, outer_top, outer_width, ring, kMarkColour);
      Fill(&image, outer_left, outer_top + outer_height - ring, outer_width,
           ring, kMarkColour);
      Fill(&image, outer_left, outer_top, ring, outer_height, kMarkColour);
      Fill(&image, outer_left + outer_width - ring, outer_top, ring,
           outer_height, kMarkColour);
    }
  }
  return image;
}

}  // namespace trulvex
