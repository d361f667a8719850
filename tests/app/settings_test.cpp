#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::Cp;
using testing::ReadFile;
using testing::TempDir;
using testing::TestData;
using testing::WriteFile;

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

void ExpectDefaults(const Settings& s) {
  EXPECT_EQ(s.X, 50);
  EXPECT_EQ(s.Y, 20);
  EXPECT_EQ(s.W, 700);
  EXPECT_EQ(s.H, 500);
  EXPECT_EQ(s.R, 200);
  EXPECT_EQ(s.StyleMenu, 3);
  EXPECT_EQ(s.Pos, 0);
  EXPECT_EQ(s.bin.DelErrSunmol, 0);
  EXPECT_EQ(s.bin.DelSpace, 0);
  EXPECT_EQ(s.bin.CountSpace, 2);
  EXPECT_EQ(s.bin.SaveFile, 0);
  EXPECT_EQ(s.bin.AddFile, 0);
  EXPECT_EQ(s.bin.AsAddFile, 0);
  EXPECT_EQ(s.bin.StartAddress, 0);
  EXPECT_EQ(s.recent_files.entries(), RecentFiles::Entries{});
}

TEST(SettingsTest, FilesWithoutTheKeysGiveTheDefaults) {
  const std::string files[] = {
      "",
      "\xEF\xBB\xBF",
      "[Other]\r\nX = 1\r\n",
      // A key outside its group belongs to another group.
      "X = 1\r\n[Profile]\r\nW = 1\r\n[window]\r\n",
  };
  for (const std::string& bytes : files) {
    SCOPED_TRACE(bytes);
    TempDir dir;
    WriteFile(dir / "Preferences.ini", bytes);
    ExpectDefaults(LoadSettings(dir / "Preferences.ini"));
    EXPECT_EQ(ReadFile(dir / "Preferences.ini"), bytes);
  }
}

TEST(SettingsTest, MissingFileGivesDefaultsAndIsCreatedEmpty) {
  TempDir dir;
  ExpectDefaults(LoadSettings(dir / "Preferences.ini"));
  ASSERT_TRUE(fs::is_regular_file(dir / "Preferences.ini"));
  EXPECT_EQ(fs::file_size(dir / "Preferences.ini"), 0u);
}

TEST(SettingsTest, OnlyAPathWithNothingBehindItIsCreated) {
  TempDir dir;
  fs::create_directory(dir / "folder");
  ExpectDefaults(LoadSettings(dir / "folder"));
  EXPECT_TRUE(fs::is_directory(dir / "folder"));

  // A dangling link may point anywhere: nothing is made through it.
  fs::create_symlink(dir / "elsewhere.ini", dir / "link.ini");
  ExpectDefaults(LoadSettings(dir / "link.ini"));
  EXPECT_FALSE(fs::exists(dir / "elsewhere.ini"));

  ExpectDefaults(LoadSettings(dir / "no-such-dir" / "Preferences.ini"));
  EXPECT_FALSE(fs::exists(dir / "no-such-dir"));
}

TEST(SettingsTest, ReadsStoredValuesAsTheyStand) {
  TempDir dir;
  WriteFile(dir / "Preferences.ini",
            "[window]\nx = abc\nY=-7\nW =\nH = 12px\nR = -3\nStyleMenu = 0\n"
            "[Profile]\nPos = 5\n"
            "[BIN]\nDelErrSunmol = 2\nCountSpace = 150\nStartAddress = -5\n"
            "[RecentFiles]\nFile1 = " +
                Cp("C:\\Мои документы\\текст.txt") +
                "\nFile3 =\nFile10 =   /tmp/a b.txt  \nFile11 = /tmp/x\n");
  const Settings s = LoadSettings(dir / "Preferences.ini");
  // Present keys that are not numbers read as their leading digits, or 0.
  EXPECT_EQ(s.X, 0);
  EXPECT_EQ(s.Y, -7);
  EXPECT_EQ(s.W, 0);
  EXPECT_EQ(s.H, 12);
  EXPECT_EQ(s.R, -3);
  EXPECT_EQ(s.StyleMenu, 0);
  EXPECT_EQ(s.Pos, 5);
  // Out-of-range BIN values are kept until the BIN window shows them.
  EXPECT_EQ(s.bin.DelErrSunmol, 2);
  EXPECT_EQ(s.bin.CountSpace, 150);
  EXPECT_EQ(s.bin.StartAddress, -5);
  EXPECT_EQ(s.bin.DelSpace, 0);

  RecentFiles::Entries expected;
  expected[0] = "C:\\Мои документы\\текст.txt";
  expected[9] = "/tmp/a b.txt";
  EXPECT_EQ(s.recent_files.entries(), expected);
  EXPECT_FALSE(s.recent_files.relabelled());
}

TEST(SettingsTest, CorrectsWindowPlacement) {
  struct Case {
    std::int32_t x, y, w, h;
    std::vector<ScreenRect> screens;
    std::int32_t want_x, want_y, want_w, want_h;
  };
  const std::vector<ScreenRect> none;
  const std::vector<ScreenRect> full_hd = {{0, 0, 1920, 1080}};
  const std::vector<ScreenRect> two = {{0, 0, 1920, 1080},
                                       {1920, -200, 1280, 1024}};
  const Case cases[] = {
      {-280, -20, 300, 300, none, -280, -20, 300, 300},
      {2000, 1800, 301, 301, none, 2000, 1800, 301, 301},
      {-281, -21, 299, 299, none, 10, 10, 410, 410},
      {2001, 1801, 0, -5, none, 10, 10, 410, 410},
      // A window minimized at exit.
      {-32000, -32000, 160, 28, none, 10, 10, 410, 410},
      {kMinInt, kMaxInt, kMinInt, kMaxInt, none, 10, 10, 410, kMaxInt},
      {50, 20, 700, 500, full_hd, 50, 20, 700, 500},
      {-280, -20, 300, 300, full_hd, -280, -20, 300, 300},
      {1900, 1060, kMaxInt, 300, full_hd, 1900, 1060, kMaxInt, 300},
      // Stored on a monitor that is gone, or below the bottom of this one.
      {1950, 100, 700, 500, full_hd, 10, 10, 700, 500},
      {100, 1500, 700, 500, full_hd, 10, 10, 700, 500},
      {1901, 100, 700, 500, full_hd, 10, 10, 700, 500},
      {100, 1061, 700, 500, full_hd, 10, 10, 700, 500},
      // Any screen will do; corrections land on the first one.
      {1950, 100, 700, 500, two, 1950, 100, 700, 500},
      {1950, 100, 700, 500, {{100, 50, 1024, 768}}, 110, 60, 700, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.x << "," << c.y << " " << c.w << "x" << c.h << " on "
                 << c.screens.size() << " screens");
    Settings s;
    s.X = c.x;
    s.Y = c.y;
    s.W = c.w;
    s.H = c.h;
    s.R = -9;
    CorrectWindowPlacement(c.screens, &s);
    EXPECT_EQ(s.X, c.want_x);
    EXPECT_EQ(s.Y, c.want_y);
    EXPECT_EQ(s.W, c.want_w);
    EXPECT_EQ(s.H, c.want_h);
    EXPECT_EQ(s.R, -9);
  }
}

TEST(SettingsTest, StoredChoicesSelectWhatExists) {
  const struct {
    std::int32_t stored;
    int want;
  } styles[] = {{1, 1}, {2, 2}, {3, 3}, {0, 1}, {7, 1}, {-2, 1}};
  for (const auto& c : styles) {
    EXPECT_EQ(EffectiveMenuStyle(c.stored), c.want) << c.stored;
  }

  const struct {
    std::int32_t pos;
    int count;
    int want;
  } positions[] = {{0, 3, 0},       {2, 3, 2},      {3, 3, 2},   {5, 3, 2},
                   {-1, 3, 2},      {0, 0, -1},     {-1, 0, -1}, {0, 1, 0},
                   {kMaxInt, 4, 3}, {kMinInt, 4, 3}};
  for (const auto& c : positions) {
    EXPECT_EQ(SelectedProfileIndex(c.pos, c.count), c.want)
        << c.pos << " of " << c.count;
  }
}

TEST(SettingsTest, BinWindowShowsValidOptions) {
  struct Case {
    BinSettings stored;
    BinOptions shown;
  };
  const Case cases[] = {
      {{1, 1, 1, 1, 1, 1, 0}, {1, 1, 1, 1, 1, 1, "0"}},
      {{0, 0, 100, 0, 0, 0, 99999999}, {0, 0, 100, 0, 0, 0, "99999999"}},
      {{2, -1, 0, 5, kMaxInt, -7, -5}, {0, 0, 2, 0, 0, 0, "0"}},
      {{0, 0, 150, 0, 0, 0, 100000000}, {0, 0, 2, 0, 0, 0, "0"}},
      {{0, 0, 7, 1, 0, 1, 42}, {0, 0, 7, 1, 0, 1, "42"}},
  };
  auto fields = [](const BinOptions& o) {
    return std::tuple(o.DelErrSunmol, o.DelSpace, o.CountSpace, o.SaveFile,
                      o.AddFile, o.AsAddFile, o.start_address);
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fields(BinOptionsForWindow(c.stored)), fields(c.shown))
        << c.stored.StartAddress;
  }
}

TEST(SettingsTest, BinWindowChangesAreKept) {
  const struct {
    std::string field;
    std::int32_t stored;
  } addresses[] = {{"", 0},
                   {"00012", 12},
                   {"99999999", 99999999},
                   {"12ab", 12},
                   {"99999999999999999999999", kMaxInt}};
  for (const auto& c : addresses) {
    SCOPED_TRACE(c.field);
    BinSettings bin;
    StoreBinOptions({1, 1, 5, 1, 1, 1, c.field}, &bin);
    EXPECT_EQ(bin.DelErrSunmol, 1);
    EXPECT_EQ(bin.DelSpace, 1);
    EXPECT_EQ(bin.CountSpace, 5);
    EXPECT_EQ(bin.SaveFile, 1);
    EXPECT_EQ(bin.AddFile, 1);
    EXPECT_EQ(bin.AsAddFile, 1);
    EXPECT_EQ(bin.StartAddress, c.stored);
  }
}

Settings SampleSettings() {
  Settings s;
  s.X = -5;
  s.Y = 1800;
  s.W = 1024;
  s.H = 768;
  s.R = 321;
  s.StyleMenu = 7;
  s.Pos = -1;
  s.bin = {1, 0, 100, 1, 1, 0, 12345678};
  RecentFiles::Entries entries;
  entries[0] = "/home/юзер/Документы/привет.txt";
  entries[1] = "C:\\Temp\\a b.txt";
  entries[3] = "/tmp/x.txt";
  s.recent_files = RecentFiles(entries);
  return s;
}

TEST(SettingsTest, SaveWritesEveryKeyInOrder) {
  TempDir dir;
  WriteFile(dir / "Preferences.ini", "");
  ASSERT_TRUE(SaveSettings(dir / "Preferences.ini", SampleSettings()));
  EXPECT_EQ(ReadFile(dir / "Preferences.ini"),
            ReadFile(TestData("settings_saved.golden")));
}

TEST(SettingsTest, SaveKeepsWhatItDoesNotKnow) {
  TempDir dir;
  WriteFile(dir / "Preferences.ini",
            "; written by hand\n[Plugins]\nEnabled = yes  \n"
            "[window]\nTheme = dark\nx = 1\n"
            "[Extra]\nA = 1\n[BIN]\nCountSpace = 9\n");
  ASSERT_TRUE(SaveSettings(dir / "Preferences.ini", Settings()));
  std::string expected =
      "; written by hand\r\n[Plugins]\r\nEnabled = yes  \r\n"
      "[window]\r\nTheme = dark\r\nX = 50\r\nY = 20\r\nW = 700\r\n"
      "H = 500\r\nR = 200\r\nStyleMenu = 3\r\n"
      "[Extra]\r\nA = 1\r\n"
      "[BIN]\r\nCountSpace = 2\r\nDelErrSunmol = 0\r\nDelSpace = 0\r\n"
      "SaveFile = 0\r\nAddFile = 0\r\nAsAddFile = 0\r\nStartAddress = 0\r\n"
      "[Profile]\r\nPos = 0\r\n[RecentFiles]\r\n";
  for (int n = 1; n <= 10; ++n) {
    expected += "File" + std::to_string(n) + " = \r\n";
  }
  EXPECT_EQ(ReadFile(dir / "Preferences.ini"), expected);
}

TEST(SettingsTest, SaveLeavesFilesItMayNotWriteAlone) {
  TempDir dir;
  const std::string old = "[Window]\r\nX = 1\r\n";
  const fs::path locked = dir / "locked.ini";
  WriteFile(locked, old);
  fs::permissions(
      locked,
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
      fs::perm_options::remove);
  EXPECT_EQ(LoadSettings(locked).X, 1);
  EXPECT_FALSE(SaveSettings(locked, SampleSettings()));
  EXPECT_EQ(ReadFile(locked), old);

  // A file deleted while the program ran is not brought back.
  EXPECT_FALSE(SaveSettings(dir / "gone.ini", SampleSettings()));
  EXPECT_FALSE(fs::exists(dir / "gone.ini"));
  fs::create_directory(dir / "folder.ini");
  EXPECT_FALSE(SaveSettings(dir / "folder.ini", SampleSettings()));

  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names.size(), 2u) << "a temporary file was left behind";
}

TEST(SettingsTest, LoadAndSaveGiveTheSameBytes) {
  TempDir dir;
  WriteFile(dir / "read.ini", ReadFile(TestData("settings_saved.golden")));
  WriteFile(dir / "written.ini", "");
  const Settings loaded = LoadSettings(dir / "read.ini");
  ASSERT_TRUE(SaveSettings(dir / "written.ini", loaded));
  EXPECT_EQ(ReadFile(dir / "written.ini"), ReadFile(dir / "read.ini"));
  // Saving unchanged values over their own file changes no byte.
  ASSERT_TRUE(SaveSettings(dir / "read.ini", loaded));
  EXPECT_EQ(ReadFile(dir / "read.ini"),
            ReadFile(TestData("settings_saved.golden")));
}

}  // namespace
}  // namespace trulvex
