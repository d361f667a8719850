#ifndef TRULVEX_CORE_SHELL_MENU_SCHEME_H_
#define TRULVEX_CORE_SHELL_MENU_SCHEME_H_

#include <array>
#include <cstdint>

namespace trulvex {

// A colour of the menu style record: red in the low byte, then green and
// blue; kNoColour where a field allows "none".
using MenuColour = std::int32_t;
inline constexpr MenuColour kNoColour = -1;

constexpr MenuColour MenuRgb(int red, int green, int blue) {
  return red | green << 8 | blue << 16;
}
constexpr int Red(MenuColour colour) { return colour & 0xFF; }
constexpr int Green(MenuColour colour) { return colour >> 8 & 0xFF; }
constexpr int Blue(MenuColour colour) { return colour >> 16 & 0xFF; }

// The colours and metrics of the owner-drawn menus. The fonts are not
// here: the drawing layer keeps them beside the record.
struct MenuStyle {
  MenuColour BarHotTop = 0;
  MenuColour BarHotBottom = 0;
  MenuColour BarOpenTop = 0;
  MenuColour BarOpenBottom = 0;
  MenuColour BarHotFrame = 0;
  MenuColour BarOpenFrame = 0;
  MenuColour BarBackground = kNoColour;  // none: the system's button face
  MenuColour BarHotText = 0;
  MenuColour BarText = 0;
  MenuColour BarOpenText = 0;
  bool BarOpenAsTab = true;
  MenuColour ItemSelTop = 0;
  MenuColour ItemSelBottom = 0;
  MenuColour PopupBorder = kNoColour;  // none: the platform's own border
  bool BarOpenShadow = true;
  MenuColour ItemSelFrame = 0;
  MenuColour PopupBackground = 0;
  MenuColour ItemSelText = 0;
  MenuColour ItemText = 0;
  MenuColour ItemSelShortcutText = 0;
  MenuColour ItemShortcutText = 0;
  MenuColour SeparatorColour = kNoColour;  // none: an etched line
  std::uint8_t ItemExtraHeight = 8;
  std::uint8_t IconColumnWidth = 22;
  std::uint8_t IconScaling = 0;
  MenuColour IconColumnLeft = 0;
  MenuColour IconColumnRight = 0;
  MenuColour CheckPenSel = 0;
  MenuColour CheckPen = 0;
  MenuColour CheckPenSelDisabled = 0;
  MenuColour CheckPenDisabled = 0;
  // The check box fills and frames may be kNoColour: not drawn.
  MenuColour CheckFillSel = kNoColour;
  MenuColour CheckFill = kNoColour;
  MenuColour CheckFillSelDisabled = kNoColour;
  MenuColour CheckFillDisabled = kNoColour;
  MenuColour CheckFrameSel = kNoColour;
  MenuColour CheckFrame = kNoColour;
  MenuColour CheckFrameSelDisabled = kNoColour;
  MenuColour CheckFrameDisabled = kNoColour;

  bool operator==(const MenuStyle&) const = default;
};

enum class ColourScheme { kOfficeXp = 1, kOffice2003 = 2 };

// The record as a colour scheme sets it.
MenuStyle ColourSchemeStyle(ColourScheme scheme);

// The program's own shortcut colours over a scheme's: purple, red when the
// item is selected.
void SetProgramShortcutColours(MenuStyle* style);

// Position `position` (0 … length−1) of a gradient of `length` steps from
// `from` towards `to`, each channel rounded to the nearest integer.
MenuColour GradientColour(MenuColour from, MenuColour to, int position,
                          int length);

// The three colours of a check mark by the item's state.
struct CheckColours {
  MenuColour pen;
  MenuColour fill;   // kNoColour: no fill
  MenuColour frame;  // kNoColour: no frame
};
CheckColours CheckMarkColours(const MenuStyle& style, bool selected,
                              bool disabled);

// A line from (x0, y0) towards (x1, y1); the end point is not drawn.
struct MenuLine {
  int x0, y0, x1, y1;
};

// The tick's six strokes in a check box whose top is `box_top` and whose
// height is `box_height`, for an item starting at `item_left`.
std::array<MenuLine, 6> TickLines(int item_left, int icon_column_width,
                                  int box_top, int box_height);

}  // namespace trulvex

#endif  // TRULVEX_CORE_SHELL_MENU_SCHEME_H_
