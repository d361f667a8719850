#include "app/recent_files.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "test_support.h"

namespace trulvex {
namespace {

using testing::Cp;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

RecentFiles::Entries List(std::initializer_list<std::string> paths) {
  RecentFiles::Entries entries;
  std::size_t i = 0;
  for (const std::string& path : paths) entries[i++] = path;
  return entries;
}

TEST(RecentFilesTest, RecordMovesThePathToTheFront) {
  struct Case {
    const char* name;
    RecentFiles::Entries start;
    std::vector<std::string> recorded;
    RecentFiles::Entries want;
  };
  const Case cases[] = {
      {"into an empty list", {}, {"/a"}, List({"/a"})},
      {"newest first", {}, {"/a", "/b", "/c"}, List({"/c", "/b", "/a"})},
      {"no duplicate", {}, {"/a", "/b", "/a"}, List({"/a", "/b"})},
      {"already first", List({"/a", "/b"}), {"/a"}, List({"/a", "/b"})},
      {"entries after it stay",
       List({"/1", "/2", "/3", "/4", "/5"}),
       {"/3"},
       List({"/3", "/1", "/2", "/4", "/5"})},
      {"the eleventh drops entry 10",
       List({"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9", "/10"}),
       {"/new"},
       List({"/new", "/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"})},
      {"entry 10 itself",
       List({"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9", "/10"}),
       {"/10"},
       List({"/10", "/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"})},
      {"letter case makes another path",
       {},
       {"/a.txt", "/A.txt"},
       List({"/A.txt", "/a.txt"})},
      {"shape makes another path",
       {},
       {"/d/a.txt", "/d/./a.txt"},
       List({"/d/./a.txt", "/d/a.txt"})},
      {"empty entries move like any other",
       List({"/1", "", "/3", "", "/5"}),
       {"/5"},
       List({"/5", "/1", "", "/3", ""})},
      {"Cyrillic compared byte for byte",
       {},
       {"/Привет", "/привет", "/Привет"},
       List({"/Привет", "/привет"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecentFiles list(c.start);
    for (const std::string& path : c.recorded) EXPECT_TRUE(list.Record(path));
    EXPECT_EQ(list.entries(), c.want);
  }
}

TEST(RecentFilesTest, RecordsAPathTakenFromTheListItself) {
  RecentFiles list(List({"/1", "/2", "/3"}));
  list.Record(list.Entry(3));
  EXPECT_EQ(list.entries(), List({"/3", "/1", "/2"}));
}

TEST(RecentFilesTest, PathsTheSettingsCannotKeepAreNotRecorded) {
  const std::string refused[] = {
      "",
      "/tmp/line\nbreak.txt",
      "/tmp/cr\r.txt",
      std::string("/tmp/nul\0.txt", 13),
      " /tmp/leading.txt",
      "/tmp/trailing.txt ",
      "/tmp/tab.txt\t",
      "/tmp/日本.txt",
      "/tmp/emoji\U0001F600.txt",
      "/tmp/\xC3\x28.txt",  // not UTF-8
  };
  for (const std::string& path : refused) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(IsStorableRecentPath(path));
    RecentFiles list(List({"/a"}));
    EXPECT_FALSE(list.Record(path));
    EXPECT_EQ(list.entries(), List({"/a"}));
    EXPECT_FALSE(list.relabelled());
  }
  for (const std::string path :
       {"/tmp/a b.txt", "C:\\Мои документы\\Ёж №1 «x».txt", "/tmp/\u0098"}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(IsStorableRecentPath(path));
  }
}

TEST(RecentFilesTest, LabelsNumberEveryEntry) {
  const std::string long_path = "/" + std::string(300, 'd') + "/файл.txt";
  RecentFiles list(List({"/a.txt", "", long_path}));
  EXPECT_FALSE(list.relabelled());
  const std::vector<std::string> start_up = {
      "1)  /a.txt", "2)  ", "3)  " + long_path,
      "4)  ",       "5)  ", "6)  ",
      "7)  ",       "8)  ", "9)  ",
      "10)  "};
  for (int n = 1; n <= RecentFiles::kCount; ++n) {
    EXPECT_EQ(list.Label(n), start_up[static_cast<std::size_t>(n - 1)]);
  }

  // Every change relabels all items, recording entry 1 again included.
  list.Record("/a.txt");
  EXPECT_TRUE(list.relabelled());
  EXPECT_EQ(list.Label(1), "1)    /a.txt");
  EXPECT_EQ(list.Label(2), "2)    ");
  EXPECT_EQ(list.Label(3), "3)    " + long_path);
  EXPECT_EQ(list.Label(10), "10)    ");

  EXPECT_EQ(RecentFiles::Label(7, "/x", RecentFiles::LabelForm::kStartUp),
            "7)  /x");
  EXPECT_EQ(RecentFiles::Label(7, "/x", RecentFiles::LabelForm::kUpdated),
            "7)    /x");
  EXPECT_EQ(list.Entry(0), "");
  EXPECT_EQ(list.Entry(11), "");
}

TEST(RecentFilesTest, SurviveSaveAndLoadAsCodePage1251) {
  TempDir dir;
  const auto path = dir / "Preferences.ini";
  WriteFile(path, "");
  Settings settings;
  for (const char* file : {"/tmp/a.txt", "/home/юзер/Документы/Ёлка №2.txt",
                           "C:\\Мои документы\\привет.txt"}) {
    ASSERT_TRUE(settings.recent_files.Record(file));
  }
  ASSERT_TRUE(SaveSettings(path, settings));

  const std::string bytes = ReadFile(path);
  EXPECT_NE(bytes.find(Cp("File1 = C:\\Мои документы\\привет.txt\r\n")),
            std::string::npos);
  EXPECT_NE(bytes.find(Cp("File2 = /home/юзер/Документы/Ёлка №2.txt\r\n")),
            std::string::npos);
  EXPECT_NE(bytes.find("File4 = \r\n"), std::string::npos);

  const Settings loaded = LoadSettings(path);
  EXPECT_EQ(loaded.recent_files.entries(), settings.recent_files.entries());
  EXPECT_EQ(loaded.recent_files.Label(2),
            "2)  /home/юзер/Документы/Ёлка №2.txt");
}

TEST(RecentFilesTest, AnEntryTheFileCannotHoldIsSavedEmpty) {
  TempDir dir;
  const auto path = dir / "Preferences.ini";
  WriteFile(path, "");
  Settings settings;
  settings.recent_files = RecentFiles(List({"/a", "/tmp/日本.txt", "/c"}));
  ASSERT_TRUE(SaveSettings(path, settings));
  EXPECT_EQ(LoadSettings(path).recent_files.entries(), List({"/a", "", "/c"}));
}

}  // namespace
}  // namespace trulvex
