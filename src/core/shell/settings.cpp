#include "core/shell/settings.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

#include "core/base/cp1251.h"
#include "core/profiles/preference_file.h"

namespace trulvex {
namespace fs = std::filesystem;

namespace {

struct IntegerKey {
  const char* key;
  std::int32_t Settings::*member;
  std::int32_t default_value;
};

struct BinKey {
  const char* key;
  std::int32_t BinSettings::*member;
  std::int32_t default_value;
};

// Both tables are in the order the keys are written.
constexpr IntegerKey kWindowKeys[] = {
    {"X", &Settings::X, 50},  {"Y", &Settings::Y, 20},
    {"W", &Settings::W, 700}, {"H", &Settings::H, 500},
    {"R", &Settings::R, 200}, {"StyleMenu", &Settings::StyleMenu, 3},
};

constexpr BinKey kBinKeys[] = {
    {"DelErrSunmol", &BinSettings::DelErrSunmol, 0},
    {"DelSpace", &BinSettings::DelSpace, 0},
    {"CountSpace", &BinSettings::CountSpace, 2},
    {"SaveFile", &BinSettings::SaveFile, 0},
    {"AddFile", &BinSettings::AddFile, 0},
    {"AsAddFile", &BinSettings::AsAddFile, 0},
    {"StartAddress", &BinSettings::StartAddress, 0},
};

constexpr std::int32_t kMaxStartAddress = 99999999;

std::string RecentFileKey(int n) { return "File" + std::to_string(n); }

// The preview pane's group comes after the groups every version knows.
constexpr char kPreviewGroup[] = "Preview";

PreviewSettings ReadPreview(PreferenceFile* file) {
  PreviewSettings preview;
  file->SelectGroup(kPreviewGroup);
  preview.visible = file->ReadInteger("Visible", 0) == 1;
  preview.size =
      ParseDisplaySize(file->ReadText("Size", "")).value_or(preview.size);
  preview.theme =
      ParseDisplayTheme(file->ReadText("Theme", "")).value_or(preview.theme);
  preview.height = file->ReadInteger("Height", 0);
  return preview;
}

void WritePreview(const PreviewSettings& preview, PreferenceFile* file) {
  file->SelectGroup(kPreviewGroup);
  file->WriteInteger("Visible", preview.visible ? 1 : 0);
  file->WriteText("Size", DisplaySizeName(preview.size));
  file->WriteText("Theme", DisplayThemeName(preview.theme));
  file->WriteInteger("Height", preview.height);
}

bool IsFlag(std::int32_t value) { return value == 0 || value == 1; }

}  // namespace

Settings LoadSettings(const fs::path& path) {
  Settings settings;
  PreferenceFile file;
  if (file.Open(path)) {
    file.SelectGroup("Window");
    for (const IntegerKey& k : kWindowKeys) {
      settings.*k.member = file.ReadInteger(k.key, k.default_value);
    }
    file.SelectGroup("Profile");
    settings.Pos = file.ReadInteger("Pos", 0);
    file.SelectGroup("BIN");
    for (const BinKey& k : kBinKeys) {
      settings.bin.*k.member = file.ReadInteger(k.key, k.default_value);
    }
    file.SelectGroup("RecentFiles");
    RecentFiles::Entries entries;
    for (int n = 1; n <= RecentFiles::kCount; ++n) {
      entries[static_cast<std::size_t>(n - 1)] =
          Cp1251ToUtf8(file.ReadText(RecentFileKey(n), ""));
    }
    settings.recent_files = RecentFiles(std::move(entries));
    settings.preview = ReadPreview(&file);
    file.Close();
    return settings;
  }
  // Only a path with nothing at all behind it is created; a dangling link
  // or an unreadable file is left alone.
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (status.type() == fs::file_type::not_found && file.Create(path)) {
    file.Close();
  }
  return settings;
}

bool SaveSettings(const fs::path& path, const Settings& settings) {
  // Under the file's lock and on its present content: keys that another
  // program wrote since start-up stay.
  PreferenceFile file;
  if (!file.OpenForUpdate(path)) return false;
  file.SelectGroup("Window");
  for (const IntegerKey& k : kWindowKeys) {
    file.WriteInteger(k.key, settings.*k.member);
  }
  file.SelectGroup("Profile");
  file.WriteInteger("Pos", settings.Pos);
  file.SelectGroup("BIN");
  for (const BinKey& k : kBinKeys) {
    file.WriteInteger(k.key, settings.bin.*k.member);
  }
  file.SelectGroup("RecentFiles");
  for (int n = 1; n <= RecentFiles::kCount; ++n) {
    const std::string& entry = settings.recent_files.Entry(n);
    // An entry the file cannot give back unchanged would come back as
    // another path: it is left empty instead.
    file.WriteText(RecentFileKey(n),
                   IsStorableRecentPath(entry) ? Utf8ToCp1251(entry) : "");
  }
  WritePreview(settings.preview, &file);
  return file.Close();
}

void CorrectWindowPlacement(std::span<const ScreenRect> screens,
                            Settings* settings) {
  Settings& s = *settings;
  if (s.X < -280 || s.X > 2000) s.X = 10;
  if (s.Y < -20 || s.Y > 1800) s.Y = 10;
  if (s.W < 300) s.W = 410;
  if (s.H < 300) s.H = 410;
  if (screens.empty()) return;

  // As much of the top edge as the user needs to grab the window, matching
  // the slack the fixed bounds above allow on a screen at the origin.
  constexpr std::int64_t kGrip = 20;
  const std::int64_t left = s.X;
  const std::int64_t right = left + s.W;
  const bool reachable =
      std::any_of(screens.begin(), screens.end(), [&](const ScreenRect& r) {
        const std::int64_t overlap =
            std::min<std::int64_t>(right, std::int64_t{r.left} + r.width) -
            std::max<std::int64_t>(left, r.left);
        return overlap >= kGrip && s.Y >= std::int64_t{r.top} - kGrip &&
               s.Y <= std::int64_t{r.top} + r.height - kGrip;
      });
  if (!reachable) {
    s.X = screens.front().left + 10;
    s.Y = screens.front().top + 10;
  }
}

ScreenRect FitToScreens(std::int64_t left, std::int64_t top, std::int64_t width,
                        std::int64_t height,
                        std::span<const ScreenRect> screens) {
  constexpr std::int64_t kLimit = std::int64_t{1} << 30;
  const auto bound = [](std::int64_t value, std::int64_t low,
                        std::int64_t high) {
    return std::clamp(value, low, std::max(low, high));
  };
  left = bound(left, -kLimit, kLimit);
  top = bound(top, -kLimit, kLimit);
  width = bound(width, 1, kLimit);
  height = bound(height, 1, kLimit);
  if (screens.empty()) {
    return {static_cast<int>(left), static_cast<int>(top),
            static_cast<int>(width), static_cast<int>(height)};
  }
  const auto overlap = [&](const ScreenRect& r) {
    const std::int64_t across =
        std::min(left + width, std::int64_t{r.left} + std::max(r.width, 0)) -
        std::max(left, std::int64_t{r.left});
    const std::int64_t down =
        std::min(top + height, std::int64_t{r.top} + std::max(r.height, 0)) -
        std::max(top, std::int64_t{r.top});
    return across > 0 && down > 0 ? across * down : 0;
  };
  const ScreenRect* best = &screens.front();
  std::int64_t most = overlap(*best);
  for (const ScreenRect& screen : screens) {
    if (const std::int64_t area = overlap(screen); area > most) {
      best = &screen;
      most = area;
    }
  }
  const std::int64_t area_width = std::max(best->width, 1);
  const std::int64_t area_height = std::max(best->height, 1);
  width = std::min(width, area_width);
  height = std::min(height, area_height);
  left = bound(left, best->left, best->left + area_width - width);
  top = bound(top, best->top, best->top + area_height - height);
  return {static_cast<int>(left), static_cast<int>(top),
          static_cast<int>(width), static_cast<int>(height)};
}

WindowGeometry RestoredWindowGeometry(const Settings& settings,
                                      std::span<const ScreenRect> screens,
                                      ScreenRect frame, int menu_outside,
                                      ScreenRect minimum) {
  Settings corrected = settings;
  CorrectWindowPlacement(screens, &corrected);
  const std::int64_t frame_width = std::max(frame.width, 0);
  const std::int64_t frame_height = std::max(frame.height, 0);
  const std::int64_t inner_width =
      std::max<std::int64_t>(corrected.W, minimum.width);
  const std::int64_t inner_height = std::max<std::int64_t>(
      std::int64_t{corrected.H} - menu_outside, minimum.height);
  const ScreenRect outer =
      FitToScreens(corrected.X, corrected.Y, inner_width + frame_width,
                   inner_height + frame_height, screens);
  WindowGeometry geometry;
  geometry.x = outer.left;
  geometry.y = outer.top;
  geometry.width =
      static_cast<int>(std::max<std::int64_t>(outer.width - frame_width, 1));
  geometry.height =
      static_cast<int>(std::max<std::int64_t>(outer.height - frame_height, 1));
  geometry.divider = std::clamp(corrected.R, 0, geometry.height);
  return geometry;
}

int EffectiveMenuStyle(std::int32_t style_menu) {
  return style_menu == 2 || style_menu == 3 ? style_menu : 1;
}

int SelectedProfileIndex(std::int32_t pos, int entry_count) {
  if (entry_count <= 0) return -1;
  return pos < 0 || pos >= entry_count ? entry_count - 1 : pos;
}

BinOptions BinOptionsForWindow(const BinSettings& bin) {
  auto flag = [](std::int32_t value) { return IsFlag(value) ? value : 0; };
  BinOptions options;
  options.DelErrSunmol = flag(bin.DelErrSunmol);
  options.DelSpace = flag(bin.DelSpace);
  options.CountSpace =
      bin.CountSpace >= 1 && bin.CountSpace <= 100 ? bin.CountSpace : 2;
  options.SaveFile = flag(bin.SaveFile);
  options.AddFile = flag(bin.AddFile);
  options.AsAddFile = flag(bin.AsAddFile);
  options.start_address =
      bin.StartAddress >= 0 && bin.StartAddress <= kMaxStartAddress
          ? std::to_string(bin.StartAddress)
          : "0";
  return options;
}

void StoreBinOptions(const BinOptions& options, BinSettings* bin) {
  bin->DelErrSunmol = options.DelErrSunmol;
  bin->DelSpace = options.DelSpace;
  bin->CountSpace = options.CountSpace;
  bin->SaveFile = options.SaveFile;
  bin->AddFile = options.AddFile;
  bin->AsAddFile = options.AsAddFile;
  constexpr std::uint64_t kMax = std::numeric_limits<std::int32_t>::max();
  bin->StartAddress = static_cast<std::int32_t>(
      std::min(ParseStartAddress(options.start_address), kMax));
}

}  // namespace trulvex
