#include "core/engine/display_picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/engine/display_art.h"
#include "test_support.h"

namespace trulvex {
namespace {

using ::trulvex::testing::Cp;

DisplayPage PageOf(const std::string& cp1251, DisplaySize size) {
  const std::vector<std::string_view> lines = SplitDisplayLines(cp1251);
  return LayOutPage(lines, size, ProfileRecord{});
}

TEST(DisplayPictureTest, DotsGlassAndMarksHaveTheThemesColours) {
  // "H" lights the first dot of its top row and leaves the second dark; the
  // cell after a character left out is outlined.
  const DisplayPage page = PageOf("H~i", {8, 1});
  for (const DisplayTheme theme :
       {DisplayTheme::kGreen, DisplayTheme::kBlue, DisplayTheme::kWhite}) {
    for (const int scale : {1, 4, 7}) {
      const DisplayGeometry geometry(page.size, scale);
      const RgbImage image = DrawDisplayPage(page, theme, scale);
      const ThemeColours colours = ColoursOf(theme);
      ASSERT_EQ(image.width, geometry.width());
      ASSERT_EQ(image.height, geometry.height());
      const int left = geometry.CellLeft(0);
      const int top = geometry.CellTop(0);
      EXPECT_EQ(image.At(left, top), colours.lit);
      EXPECT_EQ(image.At(left + scale, top), colours.unlit);
      EXPECT_EQ(image.At(0, 0), colours.backlight);
      if (geometry.dot_gap() > 0) {
        EXPECT_EQ(image.At(left + scale - 1, top), colours.backlight);
      }
      const int ring = geometry.CellLeft(1) - geometry.mark_offset() - 1;
      EXPECT_EQ(image.At(ring, geometry.CellTop(0) + scale), kMarkColour);
      EXPECT_NE(image.At(geometry.CellLeft(0) - geometry.mark_offset() - 1,
                         top + scale),
                kMarkColour);
    }
  }
}

TEST(DisplayPictureTest, SizeFollowsTheModuleAndTheScale) {
  // Two pitches of glass around, one between characters, at 4 pixels each.
  EXPECT_EQ(DisplayGeometry({16, 2}, 4).width(), (4 + 16 * 6 - 1) * 4);
  EXPECT_EQ(DisplayGeometry({16, 2}, 4).height(), (4 + 2 * 9 - 1) * 4);
  EXPECT_EQ(DisplayGeometry({40, 4}, 1).width(), 4 + 40 * 6 - 1);
  EXPECT_EQ(DisplayGeometry({8, 1}, 0).scale(), 1);
  EXPECT_EQ(DisplayGeometry({8, 1}, 1000).scale(), kMaxDisplayScale);
}

TEST(DisplayPictureTest, PixelsFindTheirCell) {
  const DisplayGeometry geometry({16, 2}, 5);
  int row = -1;
  int column = -1;
  ASSERT_TRUE(geometry.CellAt(geometry.CellLeft(3) + 2, geometry.CellTop(1) + 2,
                              &row, &column));
  EXPECT_EQ(row, 1);
  EXPECT_EQ(column, 3);
  // The glass between two characters belongs half to each.
  ASSERT_TRUE(geometry.CellAt(geometry.CellLeft(4) - 1, geometry.CellTop(0),
                              &row, &column));
  EXPECT_EQ(column, 4);
  EXPECT_FALSE(geometry.CellAt(0, 0, &row, &column));
  EXPECT_FALSE(geometry.CellAt(geometry.width() - 1, 0, &row, &column));
}

TEST(DisplayPictureTest, ThemeNames) {
  for (const DisplayTheme theme :
       {DisplayTheme::kGreen, DisplayTheme::kBlue, DisplayTheme::kWhite}) {
    EXPECT_EQ(ParseDisplayTheme(DisplayThemeName(theme)), theme);
  }
  EXPECT_FALSE(ParseDisplayTheme("Green"));
  EXPECT_FALSE(ParseDisplayTheme(""));
}

TEST(DisplayArtTest, RowsOfDotsWithABlankColumnBetweenCharacters) {
  const DisplayPage page = PageOf("HI\nA", {2, 2});
  EXPECT_EQ(DisplayPageArt(page),
            "#...# .###.\n"
            "#...# ..#..\n"
            "#...# ..#..\n"
            "##### ..#..\n"
            "#...# ..#..\n"
            "#...# ..#..\n"
            "#...# .###.\n"
            "..... .....\n"
            "\n"
            ".###. .....\n"
            "#...# .....\n"
            "#...# .....\n"
            "#...# .....\n"
            "##### .....\n"
            "#...# .....\n"
            "#...# .....\n"
            "..... .....\n");
}

}  // namespace
}  // namespace trulvex
