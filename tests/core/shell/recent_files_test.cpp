#include "core/shell/recent_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/shell/settings.h"
#include "test_support.h"

namespace trulvex {
namespace {

using namespace std::string_literals;
using namespace testing;
using Paths = std::vector<std::string>;

RecentFiles::Entries List(const Paths& paths) {
  RecentFiles::Entries entries;
  for (std::size_t i = 0; i < paths.size(); ++i) entries[i] = paths[i];
  return entries;
}

TEST(RecentFilesTest, RecordMovesThePathToTheFront) {
  const Paths ten = {"/1", "/2", "/3", "/4", "/5",
                     "/6", "/7", "/8", "/9", "/10"};
  const Paths nine = {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"};
  const struct {
    Paths start, recorded, want;
  } cases[] = {
      {{}, {"/a", "/b", "/c"}, {"/c", "/b", "/a"}},
      {{"/1", "", "/3", "/4", "/5"}, {"/4"}, {"/4", "/1", "", "/3", "/5"}},
      {ten, {"/new"}, {"/new"}},  // then /1 to /9: entry 10 drops off
      {ten, {"/10"}, {"/10"}},
      // Paths compare byte for byte: letter case or shape make another one.
      {{}, {"/Привет", "/привет", "/Привет"}, {"/Привет", "/привет"}},
      {{}, {"/d/a", "/d/./a"}, {"/d/./a", "/d/a"}},
  };
  for (const auto& c : cases) {
    RecentFiles list(List(c.start));
    for (const std::string& path : c.recorded) EXPECT_TRUE(list.Record(path));
    Paths want = c.want;
    if (c.start == ten) want.insert(want.end(), nine.begin(), nine.end());
    EXPECT_EQ(list.entries(), List(want));
  }
  RecentFiles list(List({"/1", "/2", "/3"}));
  list.Record(list.Entry(3));  // a path taken from the list itself
  EXPECT_EQ(list.entries(), List({"/3", "/1", "/2"}));
}

TEST(RecentFilesTest, PathsTheSettingsCannotKeepAreListedForThisRunOnly) {
  const std::string refused[] = {"/line\nbreak",  "/cr\r",       "/nul\0x"s,
                                 " /leading",     "/end ",       "/tab\t",
                                 "/tmp/日本.txt", "/\U0001F600", "/\xC3\x28"};
  for (const std::string& path : refused) {
    EXPECT_FALSE(IsStorableRecentPath(path)) << path;
    RecentFiles list(List({"/a"}));
    EXPECT_TRUE(list.Record(path)) << path;
    EXPECT_EQ(list.entries(), List({path, "/a"}));
  }
  RecentFiles list(List({"/a"}));
  EXPECT_FALSE(IsStorableRecentPath(""));
  EXPECT_FALSE(list.Record(""));
  EXPECT_EQ(list.entries(), List({"/a"}));
  EXPECT_FALSE(list.relabelled());
  for (const char* path :
       {"/a b", "C:\\Мои документы\\Ёж №1 «x».txt", "/\u0098"})
    EXPECT_TRUE(IsStorableRecentPath(path)) << path;
}

TEST(RecentFilesTest, LabelsTakeTheLongFormOnceTheListChanges) {
  const std::string long_path = "/" + std::string(300, 'd') + "/файл.txt";
  RecentFiles list(List({"/a.txt", "", long_path}));
  EXPECT_EQ(list.Label(1), "1)  /a.txt");
  EXPECT_EQ(list.Label(2), "2)  ");
  EXPECT_EQ(list.Label(3), "3)  " + long_path);
  // Every change relabels all items, recording entry 1 again included.
  ASSERT_TRUE(list.Record("/a.txt"));
  EXPECT_EQ(list.Label(1), "1)    /a.txt");
  EXPECT_EQ(list.Label(3), "3)    " + long_path);
  EXPECT_EQ(list.Label(10), "10)    ");
  EXPECT_EQ(list.Entry(0) + list.Entry(11), "");
}

TEST(RecentFilesTest, SettingsKeepThePathsInCodePage1251) {
  TempDir dir;
  WriteFile(dir / "p.ini", "");
  const std::string tree = "C:\\Мои документы\\Ёлка №2.txt";
  Settings settings;
  settings.recent_files = RecentFiles(List({"/a", "/tmp/日本.txt", tree}));
  ASSERT_TRUE(SaveSettings(dir / "p.ini", settings));
  EXPECT_NE(ReadFile(dir / "p.ini").find("File3 = " + Cp(tree) + "\r\n"),
            std::string::npos);
  // An entry the file could not give back unchanged is saved empty.
  EXPECT_EQ(LoadSettings(dir / "p.ini").recent_files.entries(),
            List({"/a", "", tree}));
}

}  // namespace
}  // namespace trulvex
