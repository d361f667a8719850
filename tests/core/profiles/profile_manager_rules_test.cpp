#include "core/profiles/profile_manager_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/profiles/profile_database.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using Names = std::vector<std::string>;

Names ProfileNames(const fs::path& database) {
  Names names;
  FillProfileList(database, &names);
  return names;
}

ProfileRecord Form(const std::string& name, const std::string& directive) {
  ProfileRecord record = DefaultProfileRecords()[2];
  record.Name = name;
  record.Directive = directive;
  return record;
}

std::string Directive(const fs::path& database, const std::string& name) {
  ProfileRecord record;
  LoadProfile(database, name, &record);
  return record.Directive;
}

// New, kept, renamed and case-renamed profiles stay where they were.
TEST(StoreProfileOfFormTest, StoresNewAndEditedProfilesInPlace) {
  const struct {
    const char* starting;  // "" for a new profile
    std::string name;
    Names names;
  } cases[] = {
      {"", "Новый", {"A", "B", "C", "Новый"}},
      {"B", "B", {"A", "B", "C"}},
      {"B", "Бэ", {"A", "Бэ", "C"}},
      {"B", "b", {"A", "b", "C"}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const fs::path database = dir / "Profile.prof";
    WriteProfileFile(
        database, std::vector{Form("A", "a"), Form("B", "b"), Form("C", "c")});
    const ProfileStoreResult result =
        StoreProfileOfForm(database, c.starting, Form(Cp(c.name), "Dt"));
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.renamed, *c.starting != '\0' && c.name != c.starting);
    EXPECT_TRUE(result.messages.empty());
    Names want;
    for (const std::string& name : c.names) want.push_back(Cp(name));
    EXPECT_EQ(ProfileNames(database), want);
    EXPECT_EQ(Directive(database, Cp(c.name)), "Dt");
  }
}

TEST(StoreProfileOfFormTest, FailuresAreReportedAndLoseNothing) {
  TempDir dir;
  const fs::path database = dir / "Profile.prof";
  WriteProfileFile(database, std::vector{Form("A", "a"), Form("B", "b")});

  // The profile is gone from under its starting name: it is saved under
  // that name, and the user is told the rename failed.
  ProfileStoreResult result =
      StoreProfileOfForm(database, "Gone", Form("New", "Dt"));
  EXPECT_TRUE(result.saved && !result.renamed);
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_EQ(result.messages[0], RenameProfileFailedMessage());
  EXPECT_EQ(ProfileNames(database), (Names{"A", "B", "Gone"}));
  EXPECT_EQ(Directive(database, "Gone"), "Dt");

  // A profile the file cannot store is not renamed either.
  const std::string before = ReadFile(database);
  result = StoreProfileOfForm(database, "B", Form("B", "line\nbreak"));
  EXPECT_FALSE(result.saved || result.renamed);
  result = StoreProfileOfForm(database, "B", Form("New", "line\nbreak"));
  EXPECT_FALSE(result.saved || result.renamed);
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_EQ(result.messages[0], SaveProfileFailedMessage());
  EXPECT_EQ(ReadFile(database), before);

  // A read-only database: nothing renamed, nothing saved, both told.
  fs::permissions(database, fs::perms::owner_read);
  result = StoreProfileOfForm(database, "A", Form("Renamed", "Dt"));
  EXPECT_FALSE(result.saved || result.renamed);
  EXPECT_EQ(result.messages, (std::vector{RenameProfileFailedMessage(),
                                          SaveProfileFailedMessage()}));
  EXPECT_EQ(ReadFile(database), before);
}

}  // namespace
}  // namespace trulvex
