#include "profiles/preference_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace std::string_view_literals;
using testing::Cp;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// The lines as the file writes them: each one ended by CR LF.
std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append("\r\n");
  return text;
}

std::vector<std::string> DirectoryListing(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(PreferenceFileTest, FindsKeysAsLinesAreParsed) {
  struct Case {
    std::string file;
    std::string group;
    std::string key;
    std::optional<std::string> raw;
  };
  const Case cases[] = {
      {"Ost1=4", "", "Ost1", "4"},
      {"   Ost1   =   4", "", "Ost1", "4"},
      {"ost1 = 4", "", "Ost1", "4"},
      {"\tk\t=\t\tv", "", "k", "v"},
      {"k = a = b  ", "", "k", "a = b  "},
      {"k = a;b", "", "k", "a;b"},
      {"k", "", "k", ""},
      {"; k = 1", "", "k", std::nullopt},
      {"  ;k = 1", "", "k", std::nullopt},
      {"[G]\nk = 1", "g", "k", "1"},
      {"[G] words after\nk = 1", "G", "k", "1"},
      {"[G no bracket\nk = 1", "g NO bracket", "k", "1"},
      {"[ G ]\nk = 1", " G ", "k", "1"},
      {"[ G ]\nk = 1", "G", "k", std::nullopt},
      {Cp("[Профиль]\nk = 1"), Cp("Профиль"), "k", "1"},
      {Cp("[Профиль]\nk = 1"), Cp("ПРОФИЛЬ"), "k", std::nullopt},
      {Cp("Ключ = 1"), "", Cp("ключ"), std::nullopt},
      {"k = 1\n[G]\nk = 2", "", "k", "1"},
      {"k = 1\n[G]\nk = 2", "G", "k", "2"},
      {"[G]\nk = 1\n[H]", "H", "k", std::nullopt},
      {"a = 1\rb = 2", "", "b", "2"},
      {"a = 1\0b = 2"s, "", "b", "2"},
      {"a = x\0y"s, "", "a", "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    PreferenceFile file;
    file.Parse(c.file);
    file.SelectGroup(c.group);
    EXPECT_EQ(file.ReadRaw(c.key), c.raw);
  }
}

TEST(PreferenceFileTest, ReadsConvertOrFallBackToTheirDefaults) {
  PreferenceFile file;
  file.Parse(Lines({"[G]", "n = 12abc", "empty =", "sep = ,  ", "neg = -7"}));
  ASSERT_TRUE(file.SelectGroup("G"));
  EXPECT_EQ(file.ReadInteger("n", 5), 12);
  EXPECT_EQ(file.ReadInteger("empty", 5), 0);
  EXPECT_EQ(file.ReadInteger("neg", 5), -7);
  EXPECT_EQ(file.ReadInteger("missing", 5), 5);
  EXPECT_EQ(file.ReadText("sep", "d"), ",");
  EXPECT_EQ(file.ReadText("empty", "d"), "");
  EXPECT_EQ(file.ReadText("missing", "d"), "d");

  // A group that is selected but missing reads only defaults, even for keys
  // of the top section.
  file.Parse(Lines({"n = 1", "[G]", "n = 2"}));
  EXPECT_FALSE(file.SelectGroup("Other"));
  EXPECT_EQ(file.ReadInteger("n", 9), 9);
  EXPECT_EQ(file.ReadRaw("n"), std::nullopt);
}

TEST(PreferenceFileTest, FirstMatchIsUsedAndDuplicatesSurviveUntouched) {
  PreferenceFile file;
  file.Parse(Lines({"[G]", "k = 1", "k = 2", "[g]", "k = 3", "x = 4"}));
  ASSERT_TRUE(file.SelectGroup("G"));
  EXPECT_EQ(file.ReadText("K", ""), "1");
  EXPECT_TRUE(file.WriteText("K", "9"));
  EXPECT_TRUE(file.WriteText("x", "5"));
  EXPECT_EQ(file.Serialize(),
            Lines({"[G]", "K = 9", "k = 2", "x = 5", "[g]", "k = 3", "x = 4"}));
}

TEST(PreferenceFileTest, WritesLandInsideTheCurrentGroup) {
  PreferenceFile file;
  file.Parse(Lines({"top = 0", "[A]", "a = 1", "; note", "[B]", "b = 2"}));
  ASSERT_TRUE(file.SelectGroup("A"));
  EXPECT_TRUE(file.WriteText("new", " keeps blanks "));
  EXPECT_TRUE(file.WriteInteger("a", -2147483647 - 1));
  ASSERT_TRUE(file.SelectGroup("B"));
  EXPECT_TRUE(file.WriteInteger("last", 7));
  ASSERT_TRUE(file.SelectGroup(""));
  EXPECT_TRUE(file.WriteInteger("top2", 1));
  EXPECT_EQ(file.Serialize(),
            Lines({"top = 0", "top2 = 1", "[A]", "a = -2147483648", "; note",
                   "new =  keeps blanks ", "[B]", "b = 2", "last = 7"}));
  EXPECT_TRUE(file.is_changed());
}

TEST(PreferenceFileTest, PendingGroupIsAppendedByTheFirstWrite) {
  PreferenceFile file;
  file.Parse(Lines({"[A]", "a = 1"}));
  EXPECT_FALSE(file.SelectGroup("New"));
  EXPECT_FALSE(file.is_changed());
  EXPECT_TRUE(file.WriteInteger("Ost1", 4));
  EXPECT_TRUE(file.WriteText("Directive", "Dt"));
  EXPECT_EQ(file.GroupName(), "New");
  EXPECT_EQ(file.Serialize(),
            Lines({"[A]", "a = 1", "[New]", "Ost1 = 4", "Directive = Dt"}));
}

TEST(PreferenceFileTest, RefusesWritesThatWouldNotReadBack) {
  struct Case {
    std::string group;
    std::string key;
    std::string text;
  };
  const Case cases[] = {
      {"A", "k=x", "v"},         {"A", "[k", "v"},    {"A", ";k", "v"},
      {"A", " k", "v"},          {"A", "k ", "v"},    {"A", "k\r\n[x]", "v"},
      {"A", "k", "v\r\n[Evil]"}, {"A", "k", "v\0w"s}, {"a]b", "k", "v"},
      {"New\n[A", "k", "v"},
  };
  const std::string original = Lines({"[A]", "k = 1"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.group + "|" + c.key + "|" + c.text);
    PreferenceFile file;
    file.Parse(original);
    file.SelectGroup(c.group);
    EXPECT_FALSE(file.WriteText(c.key, c.text));
    EXPECT_FALSE(file.is_changed());
    EXPECT_EQ(file.Serialize(), original);
  }
}

TEST(PreferenceFileTest, RemovesTheFirstGroupWithItsComments) {
  PreferenceFile file;
  file.Parse(Lines({"t = 0", "[A]", "; about A", "a = 1", "[B]", "b = 2", "[a]",
                    "a = 3", "[C]", "c = 4"}));
  ASSERT_TRUE(file.SelectGroup("C"));
  EXPECT_TRUE(file.RemoveGroup("a"));
  // The current group moved in the list but is still the current one.
  EXPECT_EQ(file.GroupName(), "C");
  EXPECT_EQ(file.ReadInteger("c", 0), 4);
  ASSERT_TRUE(file.SelectGroup("B"));
  EXPECT_TRUE(file.RemoveGroup("B"));
  EXPECT_EQ(file.GroupName(), "");
  EXPECT_EQ(file.ReadInteger("t", 9), 0);
  EXPECT_FALSE(file.RemoveGroup("Missing"));
  EXPECT_EQ(file.Serialize(), Lines({"t = 0", "[a]", "a = 3", "[C]", "c = 4"}));
}

TEST(PreferenceFileTest, WalksTheGroupsInFileOrder) {
  PreferenceFile file;
  file.Parse(
      Lines({"t = 0", "[One]", "k = 1", "[]", "[One]", "k = 2", "[Two"}));
  file.SelectGroup("Pending");
  ASSERT_TRUE(file.ExamineGroups());
  std::vector<std::string> walked;
  std::vector<std::int32_t> values;
  while (file.NextGroup()) {
    walked.push_back(file.GroupName());
    values.push_back(file.ReadInteger("k", -1));
  }
  EXPECT_EQ(walked, (std::vector<std::string>{"One", "", "One", "Two"}));
  EXPECT_EQ(values, (std::vector<std::int32_t>{1, -1, 2, -1}));
  EXPECT_EQ(file.GroupNames(), walked);
  EXPECT_FALSE(file.is_changed());
}

TEST(PreferenceFileTest, NothingOpenDoesNothing) {
  PreferenceFile file;
  EXPECT_FALSE(file.SelectGroup(""));
  EXPECT_EQ(file.ReadInteger("k", 3), 3);
  EXPECT_EQ(file.ReadText("k", "d"), "d");
  EXPECT_FALSE(file.WriteInteger("k", 1));
  EXPECT_FALSE(file.RemoveGroup("G"));
  EXPECT_FALSE(file.ExamineGroups());
  EXPECT_FALSE(file.NextGroup());
  EXPECT_TRUE(file.Close());
}

TEST(PreferenceFileTest, MarkedFileIsUtf8OnDiskAndBytesInMemory) {
  const std::string original =
      "\xEF\xBB\xBF[Gr\xC3\xBC\xC3\x9F]\n"
      "name = caf\xC3\xA9\n"
      "cut = ab\xE2\x82\xAC"
      "cd\n"
      "cyrillic = \xD0\x9F\xD1\x80\xD0\xB8\n"
      "bad = a\xC3(\n"
      "overlong = \xC0\xAF\n";
  PreferenceFile file;
  file.Parse(original);
  EXPECT_TRUE(file.is_marked());
  EXPECT_EQ(file.GroupNames(), std::vector<std::string>{"Gr\xFC\xDF"});
  ASSERT_TRUE(file.SelectGroup("GR\xFC\xDF"));
  EXPECT_EQ(file.ReadRaw("name"), "caf\xE9");
  EXPECT_EQ(file.ReadRaw("cut"), "ab");
  EXPECT_EQ(file.ReadRaw("cyrillic"), "");
  EXPECT_EQ(file.ReadRaw("bad"), "");
  EXPECT_EQ(file.ReadRaw("overlong"), "");

  // Values that were only read stay as the file had them.
  EXPECT_TRUE(file.WriteText("name", "\xE9t\xE9"));
  EXPECT_TRUE(file.WriteText("new\xFF", "\x7F\x80"));
  EXPECT_EQ(file.Serialize(),
            "\xEF\xBB\xBF\r\n[Gr\xC3\xBC\xC3\x9F]\r\n"
            "name = \xC3\xA9t\xC3\xA9\r\n"
            "cut = ab\xE2\x82\xAC"
            "cd\r\n"
            "cyrillic = \xD0\x9F\xD1\x80\xD0\xB8\r\n"
            "bad = a\xC3(\r\n"
            "overlong = \xC0\xAF\r\n"
            "new\xC3\xBF = \x7F\xC2\x80\r\n");

  file.Parse("\xEF\xBB\xBF");
  EXPECT_TRUE(file.is_marked());
  EXPECT_EQ(file.Serialize(), "\xEF\xBB\xBF\r\n");
  file.Parse("\xEF\xBB");
  EXPECT_FALSE(file.is_marked());
  file.Parse("k = caf\xC3\xA9");
  EXPECT_FALSE(file.is_marked());
  EXPECT_EQ(file.ReadRaw("k"), "caf\xC3\xA9");
}

TEST(PreferenceFileTest, UntouchedFileStaysByteForByte) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  const std::string original = "\n\n  [A]  junk\nk=1   \n\n;c\n\tx =  2\n";
  WriteFile(path, original);
  PreferenceFile file;
  ASSERT_TRUE(file.Open(path));
  file.SelectGroup("A");
  EXPECT_EQ(file.ReadInteger("x", 0), 2);
  file.SelectGroup("Missing");
  EXPECT_FALSE(file.RemoveGroup("Missing"));
  file.ExamineGroups();
  while (file.NextGroup()) {
  }
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(path), original);
}

TEST(PreferenceFileTest, WriteBackNormalisesTheLayout) {
  TempDir dir;
  const fs::path path = dir / "Preferences.ini";
  WriteFile(path,
            "\n\n  [A]  junk\nk=1   \n\n;c\n;  two\n\tx =  2\r\r\n[B\n y\n");
  PreferenceFile file;
  ASSERT_TRUE(file.Open(path));
  ASSERT_TRUE(file.SelectGroup("B"));
  EXPECT_TRUE(file.WriteInteger("z", 3));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(path), Lines({"[A]", "k = 1   ", "; c", ";  two", "x = 2",
                                   "[B]", "y = ", "z = 3"}));
  EXPECT_EQ(DirectoryListing(dir.path()),
            std::vector<std::string>{"Preferences.ini"});
}

TEST(PreferenceFileTest, OpenAndCreateFailWithoutTouchingAnything) {
  TempDir dir;
  PreferenceFile file;
  EXPECT_FALSE(file.Open(dir / "missing.ini"));
  EXPECT_FALSE(file.is_open());
  EXPECT_FALSE(file.Open(dir.path()));
  EXPECT_FALSE(file.Create(dir.path()));
  EXPECT_FALSE(file.Create(dir / "no-such-dir" / "x.ini"));

  const fs::path locked = dir / "locked.ini";
  WriteFile(locked, "[A]\n");
  fs::permissions(
      locked,
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
      fs::perm_options::remove);
  EXPECT_FALSE(file.Create(locked));
  EXPECT_EQ(ReadFile(locked), "[A]\n");
  EXPECT_EQ(DirectoryListing(dir.path()),
            std::vector<std::string>{"locked.ini"});
}

TEST(PreferenceFileTest, CreateEmptiesTheFileAtOnce) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  WriteFile(path, Lines({"[Old]", "k = 1"}));
  PreferenceFile file;
  ASSERT_TRUE(file.Create(path));
  EXPECT_EQ(ReadFile(path), "");
  EXPECT_FALSE(file.is_marked());
  EXPECT_TRUE(file.GroupNames().empty());
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(path), "");

  ASSERT_TRUE(file.Create(path));
  file.SelectGroup(Cp("Профиль"));
  EXPECT_TRUE(file.WriteText("k", "v"));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(path), Lines({Cp("[Профиль]"), "k = v"}));
}

TEST(PreferenceFileTest, ReadOnlyFileIsNeverReplaced) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  const std::string original = "[A]\nk=1\n";
  WriteFile(path, original);
  fs::permissions(
      path,
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
      fs::perm_options::remove);
  PreferenceFile file;
  ASSERT_TRUE(file.Open(path));
  ASSERT_TRUE(file.SelectGroup("A"));
  EXPECT_TRUE(file.WriteInteger("k", 2));
  EXPECT_EQ(file.ReadInteger("k", 0), 2);
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(ReadFile(path), original);

  // What counts is how the file was when it was opened.
  ASSERT_TRUE(file.Open(path));
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(file.WriteInteger("k", 2));
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(DirectoryListing(dir.path()),
            std::vector<std::string>{"Profile.prof"});
}

TEST(PreferenceFileTest, OpeningAnotherFileWritesBackTheFirst) {
  TempDir dir;
  WriteFile(dir / "a.ini", "[A]\n");
  WriteFile(dir / "b.ini", "[B]\n");
  {
    PreferenceFile file;
    ASSERT_TRUE(file.Open(dir / "a.ini"));
    file.SelectGroup("A");
    file.WriteInteger("k", 1);
    ASSERT_TRUE(file.Open(dir / "b.ini"));
    EXPECT_EQ(file.GroupNames(), std::vector<std::string>{"B"});
    file.SelectGroup("B");
    file.WriteInteger("k", 2);
  }
  EXPECT_EQ(ReadFile(dir / "a.ini"), Lines({"[A]", "k = 1"}));
  EXPECT_EQ(ReadFile(dir / "b.ini"), Lines({"[B]", "k = 2"}));
}

// Parsing what was written gives the same entries back, so a second
// write-back is the identical text.
void ExpectStableRoundTrip(std::string_view bytes) {
  PreferenceFile file;
  file.Parse(bytes);
  const std::vector<std::string> groups = file.GroupNames();
  const bool marked = file.is_marked();
  const std::string written = file.Serialize();
  file.Parse(written);
  EXPECT_EQ(file.GroupNames(), groups);
  EXPECT_EQ(file.is_marked(), marked);
  EXPECT_EQ(file.Serialize(), written);
}

TEST(PreferenceFileTest, HostileInputRoundTrips) {
  std::mt19937 random(1251);
  auto random_bytes = [&random](std::size_t size, std::string_view alphabet) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
      c = alphabet.empty() ? static_cast<char>(random() & 0xFF)
                           : alphabet[random() % alphabet.size()];
    }
    return bytes;
  };
  std::vector<std::string> inputs = {
      std::string(100000, '['),
      std::string(100000, '\0'),
      "[G\0]\0k\0=\0v\0\0;\0"s,
      "k = " + std::string(4 << 20, 'x') + "\r\n[G]",
      "\r\n\xEF\xBB\xBFk = 1",
      "\xEF\xBB\xBF\xEF\xBB\xBFk = 1",
      "\xEF\xBB\xBF[\xFF\xFE]\n\xC3 = \xE2\x82\n",
  };
  for (int i = 0; i < 20; ++i) {
    inputs.push_back(random_bytes(4096, ""));
    inputs.push_back(random_bytes(4096, "[]=; \t\r\nab\0"sv));
    inputs.push_back("\xEF\xBB\xBF" + random_bytes(4096, ""));
  }
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input.substr(0, 40));
    ExpectStableRoundTrip(input);
  }

  PreferenceFile file;
  file.Parse(inputs[3]);
  ASSERT_TRUE(file.SelectGroup(""));
  EXPECT_EQ(file.ReadRaw("k")->size(), std::size_t{4} << 20);
  // A key that merely begins with the mark does not turn the file marked.
  file.Parse(inputs[4]);
  file.Parse(file.Serialize());
  EXPECT_FALSE(file.is_marked());
  EXPECT_EQ(file.ReadRaw("\xEF\xBB\xBFk"), "1");
}

}  // namespace
}  // namespace trulvex
