#include "core/shell/menu_scheme.h"

#include <cmath>

namespace trulvex {
namespace {

MenuStyle OfficeXp() {
  MenuStyle s;
  s.BarHotTop = s.BarHotBottom = MenuRgb(193, 210, 238);
  s.BarOpenTop = s.BarOpenBottom = MenuRgb(230, 225, 209);
  s.BarHotFrame = MenuRgb(25, 74, 149);
  s.BarOpenFrame = MenuRgb(120, 116, 86);
  s.BarBackground = MenuRgb(225, 225, 225);
  s.ItemSelTop = s.ItemSelBottom = MenuRgb(193, 210, 238);
  s.PopupBorder = MenuRgb(120, 116, 86);
  s.ItemSelFrame = MenuRgb(49, 106, 197);
  s.SeparatorColour = kNoColour;
  s.IconColumnLeft = s.IconColumnRight = MenuRgb(230, 225, 209);
  s.CheckPenSelDisabled = s.CheckPenDisabled = MenuRgb(150, 150, 150);
  s.CheckFillSel = MenuRgb(115, 159, 223);
  s.CheckFill = MenuRgb(193, 210, 238);
  s.CheckFillSelDisabled = s.CheckFillDisabled = MenuRgb(230, 225, 209);
  s.CheckFrameSel = s.CheckFrame = MenuRgb(49, 106, 197);
  s.CheckFrameSelDisabled = s.CheckFrameDisabled = MenuRgb(165, 165, 165);
  return s;
}

MenuStyle Office2003() {
  MenuStyle s;
  s.BarHotTop = MenuRgb(255, 233, 184);
  s.BarHotBottom = MenuRgb(255, 226, 160);
  s.BarOpenTop = MenuRgb(220, 238, 253);
  s.BarOpenBottom = MenuRgb(153, 182, 244);
  s.BarHotFrame = s.BarOpenFrame = MenuRgb(0, 0, 137);
  s.BarBackground = MenuRgb(192, 215, 254);
  s.ItemSelTop = s.ItemSelBottom = MenuRgb(255, 238, 206);
  s.PopupBorder = MenuRgb(0, 0, 137);
  s.ItemSelFrame = MenuRgb(0, 0, 137);
  s.SeparatorColour = MenuRgb(81, 124, 198);
  s.IconColumnLeft = MenuRgb(240, 244, 253);
  s.IconColumnRight = MenuRgb(153, 182, 244);
  s.CheckPenSelDisabled = s.CheckPenDisabled = MenuRgb(43, 124, 221);
  s.CheckFillSel = MenuRgb(245, 170, 0);
  s.CheckFill = MenuRgb(255, 212, 115);
  s.CheckFillSelDisabled = s.CheckFillDisabled = kNoColour;
  s.CheckFrameSel = MenuRgb(89, 1, 85);
  s.CheckFrame = MenuRgb(0, 0, 137);
  s.CheckFrameSelDisabled = s.CheckFrameDisabled = MenuRgb(126, 126, 126);
  return s;
}

}  // namespace

MenuStyle ColourSchemeStyle(ColourScheme scheme) {
  // Both schemes share the black texts and ticks, the popup background and
  // the metrics: the record's defaults.
  MenuStyle style =
      scheme == ColourScheme::kOfficeXp ? OfficeXp() : Office2003();
  style.PopupBackground = MenuRgb(243, 243, 243);
  return style;
}

void SetProgramShortcutColours(MenuStyle* style) {
  style->ItemSelShortcutText = MenuRgb(194, 2, 19);
  style->ItemShortcutText = MenuRgb(100, 10, 110);
}

MenuColour GradientColour(MenuColour from, MenuColour to, int position,
                          int length) {
  if (length <= 0) return from;
  const auto channel = [&](int a, int b) {
    return static_cast<int>(
        std::lround(a - static_cast<double>(position) * (a - b) / length));
  };
  return MenuRgb(channel(Red(from), Red(to)), channel(Green(from), Green(to)),
                 channel(Blue(from), Blue(to)));
}

CheckColours CheckMarkColours(const MenuStyle& style, bool selected,
                              bool disabled) {
  if (disabled) {
    return selected
               ? CheckColours{style.CheckPenSelDisabled,
                              style.CheckFillSelDisabled,
                              style.CheckFrameSelDisabled}
               : CheckColours{style.CheckPenDisabled, style.CheckFillDisabled,
                              style.CheckFrameDisabled};
  }
  return selected
             ? CheckColours{style.CheckPenSel, style.CheckFillSel,
                            style.CheckFrameSel}
             : CheckColours{style.CheckPen, style.CheckFill, style.CheckFrame};
}

std::array<MenuLine, 6> TickLines(int item_left, int icon_column_width,
                                  int box_top, int box_height) {
  // Centred on the column for a 16-pixel glyph: x0 is item left + 8 in a
  // 22-pixel column.
  const int a = (icon_column_width - 2 + 16) / 2;
  const int x = item_left + icon_column_width + 4 - a;
  const int c = box_top + box_height / 2 - 12;
  return {{{x - 1, c + 11, x + 2, c + 14},
           {x - 1, c + 12, x + 2, c + 15},
           {x - 1, c + 13, x + 2, c + 16},
           {x + 2, c + 14, x + 6, c + 10},
           {x + 2, c + 13, x + 6, c + 9},
           {x + 2, c + 12, x + 6, c + 8}}};
}

}  // namespace trulvex
