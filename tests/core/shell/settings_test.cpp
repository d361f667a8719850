#include "core/shell/settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace testing;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// What SaveSettings puts into an empty file: every value, in one text.
std::string Saved(const Settings& settings) {
  TempDir dir;
  WriteFile(dir / "s.ini", "");
  EXPECT_TRUE(SaveSettings(dir / "s.ini", settings));
  return ReadFile(dir / "s.ini");
}

TEST(SettingsTest, LoadReadsStoredValuesAndDefaultsTheRest) {
  TempDir dir;
  // Keys outside their group go unread; values are kept as read, trimmed.
  const std::string stored =
      "X = 1\r\n[Profile]\r\nW = 1\r\n[window]\r\nx = abc\r\nH =\r\n"
      "StyleMenu = 0\r\n[BIN]\r\nCountSpace = 150\r\nStartAddress = -5\r\n"
      "[RecentFiles]\r\nFile2 =  /a b \t\r\n"
      "[Preview]\r\nVisible = 1\r\nSize = 40x4\r\nTheme = pink\r\n";
  WriteFile(dir / "p.ini", stored);
  Settings want;
  std::tie(want.X, want.H, want.StyleMenu, want.bin.CountSpace,
           want.bin.StartAddress) = std::tuple(0, 0, 0, 150, -5);
  want.recent_files = RecentFiles({"", "/a b"});
  want.preview.visible = true;
  want.preview.size = {40, 4};  // the theme it does not know stays green
  EXPECT_EQ(Saved(LoadSettings(dir / "p.ini")), Saved(want));
  EXPECT_EQ(ReadFile(dir / "p.ini"), stored);
  // Only a path with nothing behind it, not a dangling link, is created.
  fs::create_directory(dir / "folder");
  std::vector<const char*> names = {"folder", "none/p.ini", "new.ini"};
  if (SymlinksAvailable()) {
    fs::create_symlink(dir / "elsewhere.ini", dir / "link.ini");
    names.push_back("link.ini");
  }
  for (const char* name : names) {
    EXPECT_EQ(Saved(LoadSettings(dir / name)), Saved(Settings())) << name;
  }
  EXPECT_EQ(fs::file_size(dir / "new.ini"), 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}),
            SymlinksAvailable() ? 4 : 3);
}

TEST(SettingsTest, CorrectsWindowPlacement) {
  const ScreenRect hd{0, 0, 1920, 1080}, right{1920, -200, 1280, 1024};
  const std::vector<ScreenRect> screens[] = {
      {}, {hd}, {hd, right}, {{100, 50, 1024, 768}}};
  // x, y, w, h, the screens, and the corrected x, y, w, h.
  const std::int32_t cases[][9] = {
      {-280, 1801, 300, 299, 0, -280, 10, 300, 410},
      {2001, -20, 299, 300, 0, 10, -20, 410, 300},
      {2000, -21, 301, 0, 0, 2000, 10, 301, 410},
      {kMin, kMax, kMin, kMax, 0, 10, 10, 410, kMax},
      {-280, -20, 300, 300, 1, -280, -20, 300, 300},
      {1900, 1060, kMax, 300, 1, 1900, 1060, kMax, 300},
      {1901, 100, 700, 500, 1, 10, 10, 700, 500},
      {100, 1061, 700, 500, 1, 10, 10, 700, 500},
      {1950, 100, 700, 500, 2, 1950, 100, 700, 500},
      {1950, 100, 700, 500, 3, 110, 60, 700, 500},
  };
  for (const auto& c : cases) {
    Settings s;
    std::tie(s.X, s.Y, s.W, s.H) = std::tuple(c[0], c[1], c[2], c[3]);
    CorrectWindowPlacement(screens[c[4]], &s);
    EXPECT_EQ((std::vector{s.X, s.Y, s.W, s.H}), std::vector(c + 5, c + 9));
  }
}

// Any stored numbers give a window whole on a screen, frame included.
TEST(SettingsTest, RestoredWindowFitsTheScreen) {
  const ScreenRect hd{0, 0, 1920, 1040}, right{1920, -200, 1280, 1024};
  const std::vector<ScreenRect> screens[] = {{hd}, {hd, right}, {}};
  const ScreenRect frame{0, 0, 16, 40}, minimum{0, 0, 520, 304};
  // x, y, w, h, r, the screens; the x, y, width, height and divider.
  const std::int32_t cases[][11] = {
      {50, 20, 700, 500, 200, 0, 50, 20, 700, 480, 200},  // menu outside: 20
      {50, 20, 700, kMax, kMin, 0, 50, 0, 700, 1000, 0},
      {50, 20, 700, 500, kMax, 0, 50, 20, 700, 480, 480},
      {1900, 1000, 700, 500, 200, 0, 1204, 520, 700, 480, 200},
      {kMax, kMax, kMax, kMax, kMax, 0, 0, 0, 1904, 1000, 1000},
      {1950, 100, 700, 500, 200, 1, 1950, 100, 700, 480, 200},
      {1950, 100, 2000, 2000, 200, 1, 1920, -200, 1264, 984, 200},
      {kMin, kMin, kMin, kMin, kMin, 2, 10, 10, 520, 390, 0},
  };
  for (const auto& c : cases) {
    Settings s;
    std::tie(s.X, s.Y, s.W, s.H, s.R) =
        std::tuple(c[0], c[1], c[2], c[3], c[4]);
    const WindowGeometry g =
        RestoredWindowGeometry(s, screens[c[5]], frame, 20, minimum);
    EXPECT_EQ((std::vector{g.x, g.y, g.width, g.height, g.divider}),
              std::vector(c + 6, c + 11))
        << c[0] << " " << c[1];
  }
}

TEST(SettingsTest, StoredChoicesShowOnlyWhatExistsAndChangesAreKept) {
  const int styles[][2] = {{1, 1}, {2, 2}, {3, 3}, {0, 1}, {7, 1}, {-2, 1}};
  for (const auto& c : styles) EXPECT_EQ(EffectiveMenuStyle(c[0]), c[1]);
  const std::int32_t positions[][3] = {{0, 3, 0},  {3, 3, 2},    {-1, 3, 2},
                                       {0, 0, -1}, {kMax, 4, 3}, {kMin, 4, 3}};
  for (const auto& c : positions)
    EXPECT_EQ(SelectedProfileIndex(c[0], c[1]), c[2]) << c[0];

  const auto shown = [](const BinSettings& bin) {
    const BinOptions o = BinOptionsForWindow(bin);
    return std::tuple(o.DelErrSunmol, o.DelSpace, o.CountSpace, o.SaveFile,
                      o.AddFile, o.AsAddFile, o.start_address);
  };
  EXPECT_EQ(shown({0, 1, 100, 0, 1, 0, 99999999}),
            std::tuple(0, 1, 100, 0, 1, 0, "99999999"));
  EXPECT_EQ(shown({2, -1, 0, 5, kMax, -7, -5}),
            std::tuple(0, 0, 2, 0, 0, 0, "0"));
  EXPECT_EQ(shown({0, 0, 101, 0, 0, 0, 100000000}),
            std::tuple(0, 0, 2, 0, 0, 0, "0"));

  BinSettings bin;
  const std::pair<std::string, std::int32_t> addresses[] = {
      {"", 0}, {"00012", 12}, {"12ab", 12}, {"99999999999999999999", kMax}};
  for (const auto& [field, stored] : addresses) {
    StoreBinOptions({1, 0, 5, 1, 0, 1, field}, &bin);
    EXPECT_EQ(bin.StartAddress, stored) << field;
  }
  EXPECT_EQ(std::tuple(bin.DelErrSunmol, bin.DelSpace, bin.CountSpace,
                       bin.SaveFile, bin.AddFile, bin.AsAddFile),
            std::tuple(1, 0, 5, 1, 0, 1));
}

TEST(SettingsTest, SaveWritesEveryKeyInPlaceAndKeepsTheRest) {
  Settings s;
  std::tie(s.X, s.Y, s.W, s.H, s.R, s.StyleMenu, s.Pos) =
      std::tuple(-5, 1800, 1024, 768, 321, 7, -1);
  s.bin = {1, 0, 100, 1, 1, 0, 12345678};
  s.recent_files = RecentFiles({"/home/юзер/Документы/привет.txt",
                                "C:\\Temp\\a b.txt", "", "/tmp/x.txt"});
  s.preview = {true, {20, 4}, DisplayTheme::kBlue, 180};
  const std::string golden = ReadFile(TestData("settings_saved.golden"));
  EXPECT_EQ(Saved(s), golden);

  // A file with groups and keys the program does not know loads the same
  // values and keeps every byte when they are saved over it.
  std::string file = "; by hand\r\n[Plugins]\r\nOn = yes  \r\n" + golden;
  file.insert(file.find("X = "), "Theme = dark\r\n");
  file.insert(file.find("[Profile]"), "[Extra]\r\nA = 1\r\n");
  TempDir dir;
  WriteFile(dir / "p.ini", file);
  EXPECT_EQ(Saved(LoadSettings(dir / "p.ini")), golden);
  ASSERT_TRUE(SaveSettings(dir / "p.ini", s));
  EXPECT_EQ(ReadFile(dir / "p.ini"), file);

  // What it may not write is left alone: no file, no temporary file made.
  WriteFile(dir / "locked.ini", "[Window]\r\nX = 1\r\n");
  fs::permissions(dir / "locked.ini", fs::perms::owner_read);
  fs::create_directory(dir / "folder.ini");
  for (const char* name : {"locked.ini", "gone.ini", "folder.ini"}) {
    EXPECT_FALSE(SaveSettings(dir / name, s)) << name;
  }
  EXPECT_EQ(ReadFile(dir / "locked.ini"), "[Window]\r\nX = 1\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3);
}

}  // namespace
}  // namespace trulvex
