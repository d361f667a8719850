#ifndef TRULVEX_CORE_SHELL_SETTINGS_H_
#define TRULVEX_CORE_SHELL_SETTINGS_H_

#include <cstdint>
#include <filesystem>
#include <span>

#include "core/engine/bin_conversion.h"
#include "core/engine/display_page.h"
#include "core/engine/display_picture.h"
#include "core/shell/recent_files.h"

namespace trulvex {

// The BIN options as the settings file keeps them, in the file's key order.
// They are stored as read; the BIN window validates them when it opens
// (BinOptionsForWindow), so a value it never showed is written back as is.
struct BinSettings {
  std::int32_t DelErrSunmol = 0;
  std::int32_t DelSpace = 0;
  std::int32_t CountSpace = 2;
  std::int32_t SaveFile = 0;
  std::int32_t AddFile = 0;
  std::int32_t AsAddFile = 0;
  std::int32_t StartAddress = 0;
};

// The main window's display preview pane, kept in a group of its own.
// Values that name no size or theme read as the defaults.
struct PreviewSettings {
  bool visible = false;
  DisplaySize size = kDefaultDisplaySize;
  DisplayTheme theme = DisplayTheme::kGreen;
  // The pane's height in pixels; 0 or less lets it take its natural one.
  std::int32_t height = 0;
};

// What the program remembers from one run to the next. The main window owns
// one and changes the values where they are used.
struct Settings {
  // Left and top of the outer frame, inner width, inner height including
  // the menu bar, and the divider position from the top of the divided area.
  std::int32_t X = 50;
  std::int32_t Y = 20;
  std::int32_t W = 700;
  std::int32_t H = 500;
  std::int32_t R = 200;
  // 1 standard, 2 "Офис ХР", 3 "Офис 2003"; any other value is kept as read
  // and shown as the standard style (EffectiveMenuStyle).
  std::int32_t StyleMenu = 3;
  // Zero-based profile selector index, -1 for none.
  std::int32_t Pos = 0;
  BinSettings bin;
  RecentFiles recent_files;
  PreviewSettings preview;
};

// Reads the settings file; missing groups and keys give their defaults and
// an unreadable file gives all of them. When nothing at all is at `path`,
// an empty file is created there so that the first exit can save into it.
// Never reports a failure: the settings are silent.
Settings LoadSettings(const std::filesystem::path& path);

// Writes every group and key in their fixed order into the existing file at
// `path`, keeping the groups and keys it does not know. The file is replaced
// in one step, so a failure leaves it whole. False, with nothing written,
// when the file is gone, is a directory, cannot be read or is read-only, or
// when replacing it failed; the caller may log that but shows nothing.
bool SaveSettings(const std::filesystem::path& path, const Settings& settings);

// An available screen area in screen pixels.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The start-up corrections of the stored placement: X outside -280..2000
// and Y outside -20..1800 become 10, W and H below 300 become 410. When
// `screens` are given (the primary one first) and the window's top edge
// still lies on none of them, for example because the monitor it was on is
// gone, the window moves to 10, 10 of the primary screen.
void CorrectWindowPlacement(std::span<const ScreenRect> screens,
                            Settings* settings);

// `left`, `top`, `width` and `height` (any values; sizes below 1 count as
// 1) moved, and shrunk where larger, to lie inside the available screen
// area that holds most of the rectangle, or inside the first screen when it
// lies on none. Without screens the rectangle is only brought into range.
ScreenRect FitToScreens(std::int64_t left, std::int64_t top, std::int64_t width,
                        std::int64_t height,
                        std::span<const ScreenRect> screens);

// The main window as it reopens: the left and top of its outer frame, its
// inner size and the divider position, from any stored numbers. The stored
// placement is corrected as CorrectWindowPlacement says, its height loses
// `menu_outside` (a menu bar outside the window), the size is kept at least
// `minimum`, and then frame and all (`frame` is what the decorations add)
// are fitted to the screens; the divider stays within the inner height.
struct WindowGeometry {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int divider = 0;
};
WindowGeometry RestoredWindowGeometry(const Settings& settings,
                                      std::span<const ScreenRect> screens,
                                      ScreenRect frame, int menu_outside,
                                      ScreenRect minimum);

// The menu style a stored StyleMenu selects: 2 and 3 themselves, anything
// else the standard style 1.
int EffectiveMenuStyle(std::int32_t style_menu);

// The selector entry to select for a stored Pos among `entry_count`
// entries: Pos itself when it is in range, else the last entry, and -1 when
// there are none.
int SelectedProfileIndex(std::int32_t pos, int entry_count);

// The options the BIN window opens with: a 0-or-1 option holding anything
// else shows as 0, CountSpace outside 1..100 as 2, StartAddress outside
// 0..99999999 as "0". The start address becomes the field's decimal text.
BinOptions BinOptionsForWindow(const BinSettings& bin);

// Keeps what the BIN window now shows. StartAddress takes the value of the
// field's leading digits (0 for an empty field); a value too large for the
// file saturates and so opens as "0" next time.
void StoreBinOptions(const BinOptions& options, BinSettings* bin);

}  // namespace trulvex

#endif  // TRULVEX_CORE_SHELL_SETTINGS_H_
