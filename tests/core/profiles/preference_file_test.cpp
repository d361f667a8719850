#include "core/profiles/preference_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace testing;
using Names = std::vector<std::string>;

// The lines as the file writes them: each one ended by CR LF.
std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append("\r\n");
  return text;
}

TEST(PreferenceFileTest, ReadsKeysAsLinesAreParsed) {
  const std::string upper = Cp("ПРОФИЛЬ"), lower = Cp("Профиль");
  PreferenceFile file;
  file.Parse(
      "   Ost1   =   4\r\tt\t=\t\tv\ne = a = b  \nm = a;b\nbare\n"
      "  ;c = 1\nn = x\0y\nu = \xC3\xA9\n[G] words] after\n"
      "k = 1\n[ H ]\nk = 2\n[No bracket\nk = 3\n["s +
      lower + "]\nk = 4\n");
  const std::optional<std::string> none;
  const struct {
    std::string group, key;
    std::optional<std::string> raw;
  } cases[] = {
      {"", "OST1", "4"},        {"", "t", "v"},        {"", "e", "a = b  "},
      {"", "m", "a;b"},         {"", "bare", ""},      {"", "c", none},
      {"", "n", "x"},           {"", "u", "\xC3\xA9"}, {"", "k", none},
      {"g", "k", "1"},          {" H ", "k", "2"},     {"H", "k", none},
      {"no bracket", "k", "3"}, {lower, "k", "4"},     {upper, "k", none},
      {"Other", "t", none},
  };
  for (const auto& c : cases) {
    file.SelectGroup(c.group);
    EXPECT_EQ(file.ReadRaw(c.key), c.raw) << c.group << "|" << c.key;
  }
}

TEST(PreferenceFileTest, WritesReplaceTheFirstMatchOrAppendToTheGroup) {
  PreferenceFile file;
  file.Parse(Lines(
      {"top = 0", "[A]", "k = 1", "k = 2", "; note", "[a]", "k = 3", "x = 4"}));
  // Nothing is written that would not read back as written.
  const struct {
    std::string group, key, text;
  } refused[] = {
      {"A", "k=x", "v"},      {"A", "[k", "v"},          {"A", " k", "v"},
      {"A", "k\r\n[x]", "v"}, {"A", "k", "v\r\n[Evil]"}, {"A", "k", "v\0w"s},
      {"a]b", "k", "v"},      {"New\n[A", "k", "v"},     {"A", "x", " v"},
      {"A", "x", "\tv"},
  };
  for (const auto& c : refused) {
    file.SelectGroup(c.group);
    EXPECT_FALSE(file.WriteText(c.key, c.text)) << c.group << "|" << c.key;
  }
  EXPECT_FALSE(file.is_changed());
  ASSERT_TRUE(file.SelectGroup("A"));
  EXPECT_EQ(file.ReadText("K", ""), "1");
  EXPECT_TRUE(file.WriteText("K", "9"));
  EXPECT_TRUE(file.WriteText("x", "keeps blanks "));
  EXPECT_TRUE(file.WriteInteger("n", -2147483647 - 1));
  ASSERT_TRUE(file.SelectGroup(""));
  EXPECT_TRUE(file.WriteInteger("top2", 1));
  // A missing group is appended by its first write.
  EXPECT_FALSE(file.SelectGroup("New"));
  EXPECT_TRUE(file.WriteInteger("Ost1", 4));
  EXPECT_TRUE(file.WriteText("Directive", "Dt"));
  EXPECT_EQ(file.Serialize(),
            Lines({"top = 0", "top2 = 1", "[A]", "K = 9", "k = 2", "; note",
                   "x = keeps blanks ", "n = -2147483648", "[a]", "k = 3",
                   "x = 4", "[New]", "Ost1 = 4", "Directive = Dt"}));
}

TEST(PreferenceFileTest, RemovesTheFirstGroupAndWalksTheRest) {
  PreferenceFile file;
  file.Parse(Lines({"t = 0", "[A]", "; about A", "c = 1", "[B]", "c = 2", "[a]",
                    "c = 3", "[]", "[C]", "c = 4", "[C", "c = 5"}));
  ASSERT_TRUE(file.SelectGroup("C"));
  EXPECT_TRUE(file.RemoveGroup("a"));
  // The current group moved in the list but is still the current one.
  EXPECT_EQ(file.ReadInteger("c", 0), 4);
  ASSERT_TRUE(file.SelectGroup("B"));
  EXPECT_TRUE(file.RemoveGroup("B"));
  EXPECT_EQ(file.ReadInteger("t", 9), 0);
  file.SelectGroup("Pending");
  ASSERT_TRUE(file.ExamineGroups());
  Names walked;
  while (file.NextGroup()) {
    walked.push_back(file.GroupName() + "=" + file.ReadText("c", "none"));
  }
  EXPECT_EQ(walked, (Names{"a=3", "=none", "C=4", "C=5"}));
  EXPECT_EQ(file.GroupNames(), (Names{"a", "", "C", "C"}));
  EXPECT_EQ(file.Serialize(), Lines({"t = 0", "[a]", "c = 3", "[]", "[C]",
                                     "c = 4", "[C]", "c = 5"}));
}

TEST(PreferenceFileTest, MarkedFileIsUtf8OnDiskAndCp1251InMemory) {
  // Values that are only read stay as the file had them.
  const std::string kept = Lines(
      {"[Gr\xC3\xBC\xC3\x9F]", "[Кир]", "cut = ab\xE2\x82\xACx\xE2\x88\x9Ey",
       "bad = a\xC3(", "c0 = \xC0\xAF", "e0 = \xE0\x80\xAF"});
  PreferenceFile file;
  file.Parse("\xEF\xBB\xBF" + kept + "[RecentFiles]\r\nFile1 = /tmp/Пр.txt");
  // A character code page 1251 lacks cuts the text before it.
  EXPECT_EQ(file.GroupNames(), (Names{"Gr", Cp("Кир"), "RecentFiles"}));
  ASSERT_TRUE(file.SelectGroup("RecentFiles"));
  EXPECT_EQ(file.ReadText("File1", ""), Cp("/tmp/Пр.txt"));
  ASSERT_TRUE(file.SelectGroup(Cp("Кир")));
  EXPECT_EQ(file.ReadRaw("cut"), "ab\x88x");
  for (const char* key : {"bad", "c0", "e0"})
    EXPECT_EQ(file.ReadRaw(key), "") << key;
  ASSERT_TRUE(file.SelectGroup("RecentFiles"));
  EXPECT_TRUE(file.WriteText("File2", Cp("/home/Иван/тест.txt")));
  EXPECT_TRUE(file.WriteText("new\xFF", "\x7F\x80\x98"));
  EXPECT_EQ(file.Serialize(),
            "\xEF\xBB\xBF\r\n" + kept +
                Lines({"[RecentFiles]", "File1 = /tmp/Пр.txt",
                       "File2 = /home/Иван/тест.txt",
                       "new\xD1\x8F = \x7F\xD0\x82\xC2\x98"}));
  // What was written reads back as written.
  file.Parse(file.Serialize());
  ASSERT_TRUE(file.SelectGroup("RecentFiles"));
  EXPECT_EQ(file.ReadText("File2", ""), Cp("/home/Иван/тест.txt"));
  EXPECT_EQ(file.ReadRaw("new\xFF"), "\x7F\x80\x98");
}

TEST(PreferenceFileTest, WritesBackOnlyAChangedWritableFile) {
  TempDir dir;
  const fs::path path = dir / "Preferences.ini", locked = dir / "locked.ini";
  const std::string original =
      "\n\n  [A]  junk\nk=1   \n\n;c\n;  two\n\tx =  2\r\r\n[B\n y\n";
  WriteFile(path, original);
  WriteFile(locked, "[A]\nk=1\n");
  fs::permissions(locked, fs::perms::owner_read);
  PreferenceFile file;
  EXPECT_FALSE(file.Create(locked));
  ASSERT_TRUE(file.Open(path));
  file.SelectGroup("Missing");
  EXPECT_FALSE(file.RemoveGroup("Missing"));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(path), original);

  ASSERT_TRUE(file.Open(path));
  ASSERT_TRUE(file.SelectGroup("B"));
  EXPECT_TRUE(file.WriteInteger("z", 3));
  // Opening another file writes the first one back.
  ASSERT_TRUE(file.Open(locked));
  EXPECT_EQ(ReadFile(path), Lines({"[A]", "k = 1   ", "; c", ";  two", "x = 2",
                                   "[B]", "y = ", "z = 3"}));
  // What counts is whether the file was writable when it was opened.
  EXPECT_TRUE(file.WriteInteger("k", 2));
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(ReadFile(locked), "[A]\nk=1\n");

  ASSERT_TRUE(file.Create(path));
  EXPECT_EQ(ReadFile(path), "");
  file.SelectGroup("G");
  EXPECT_TRUE(file.WriteText("k", "v"));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(path), Lines({"[G]", "k = v"}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);
}

TEST(PreferenceFileTest, HostileInputRoundTrips) {
  // The first is a plain file whose first key begins with the mark.
  const std::string big = "k = " + std::string(4 << 20, 'x') + "\r\n[G]";
  std::vector<std::string> inputs = {
      "\r\n\xEF\xBB\xBFk = 1",  "\xEF\xBB\xBF",
      "[G\0]\0k\0=\0v\0\0;\0"s, "\xEF\xBB\xBF[\xFF\xFE]\n\xC3 = \xE2\x82\n",
      std::string(100000, '['), big};
  std::mt19937 random(1251);
  const std::string alphabet = "[]=; \t\r\nab\0"s;
  for (int i = 0; i < 60; ++i) {
    std::string bytes(4096, '\0');
    for (char& c : bytes) {
      c = i % 3 == 1 ? alphabet[random() % alphabet.size()]
                     : static_cast<char>(random() & 0xFF);
    }
    inputs.push_back(i % 3 == 2 ? "\xEF\xBB\xBF" + bytes : bytes);
  }
  PreferenceFile file;
  const auto state = [&file] {
    return std::tuple(file.GroupNames(), file.is_marked(), file.Serialize());
  };
  for (const std::string& input : inputs) {
    file.Parse(input);
    const auto written = state();
    file.Parse(std::get<2>(written));
    EXPECT_TRUE(state() == written) << input.substr(0, 40);
  }
  file.Parse(big);
  EXPECT_EQ(file.ReadRaw("k").value_or("").size(), std::size_t{4} << 20);
}

}  // namespace
}  // namespace trulvex
