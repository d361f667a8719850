#include "profiles/profile_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "profiles/preference_value.h"
#include "test_support.h"

namespace trulvex {
namespace {

using ::trulvex::testing::Cp;

std::string Join(const std::vector<ProfileKeyValue>& pairs) {
  std::string out;
  for (const auto& [key, value] : pairs) out += key + "=" + value + "|";
  return out;
}

// Every field in record order, between bars.
std::string Fields(const ProfileRecord& r) {
  std::ostringstream out;
  out << int{r.IsPreview} << '|' << r.Name << '|' << r.Ost1 << '|' << r.Ost2
      << '|' << r.Directive << '|' << r.StartDataBlok << '|' << r.EndDataBlok
      << '|' << r.StartData << '|' << r.SI << '|' << r.EndData << '|'
      << r.RazdelitelData << '|' << r.Comment << '|' << int{r.CommentState}
      << '|' << r.CountByte << '|' << int{r.PerenosPoSlovam} << '|'
      << r.CountByteToComment << '|' << int{r.DeleteSumbolError} << '|'
      << int{r.DeleteSpace} << '|' << int{r.CountSpace};
  return out.str();
}

TEST(ProfileRecordTest, UnwrapText) {
  const struct {
    std::string stored;
    std::string text;
  } cases[] = {
      {"", ""},
      {"[String][/String]", ""},
      {"[String] )[/String]", " )"},
      {"Dt", "Dt"},
      {"[String]x", "x"},
      {"[/String]abc", "[/String]abc"},  // the closing tag starts too early
      {"123456[/String]", "123456[/String]"},
      {"1234567[/String]", "1234567"},
      {"a[String]b[/String]c[/String]", "abc"},
      {"[string]x[/string]", "[string]x[/string]"},  // tags are case-exact
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnwrapText(c.stored), c.text) << c.stored;
  }
  EXPECT_EQ(WrapText(" ;\t"), "[String] ;\t[/String]");
}

TEST(ProfileRecordTest, DefaultProfiles) {
  const std::vector<DefaultProfile>& profiles = DefaultProfiles();
  ASSERT_EQ(profiles.size(), 3u);
  EXPECT_EQ(profiles[0].name, "ASM \x97 DT For PIC");
  EXPECT_EQ(profiles[1].name, "ASM \x97 DE For PIC");
  EXPECT_EQ(profiles[2].name, "MikroBasic For PIC");
  const std::string assembler_tail =
      "|StartDataBlok=|EndDataBlok=|StartData=0x|SI=2|EndData=|"
      "RazdelitelData=[String], [/String]|Comment=[String]; [/String]|"
      "CommentState=1|CountByte=8|PerenosPoSlovam=0|CountByteToComment=0|"
      "DeleteSumbolError=0|DeleteSpace=0|CountSpace=2|";
  EXPECT_EQ(Join(profiles[0].pairs),
            "Ost1=4|Ost2=4|Directive=Dt" + assembler_tail);
  EXPECT_EQ(Join(profiles[1].pairs),
            "Ost1=4|Ost2=4|Directive=De" + assembler_tail);
  EXPECT_EQ(Join(profiles[2].pairs),
            "Ost1=1|Ost2=4|Directive=const|StartDataBlok=[String]As Byte[] = "
            "([/String]|EndDataBlok=[String] )[/String]|StartData=$|SI=2|"
            "EndData=|RazdelitelData=[String], [/String]|Comment=[String]' "
            "[/String]|CommentState=1|CountByte=100|PerenosPoSlovam=0|"
            "CountByteToComment=1|DeleteSumbolError=0|DeleteSpace=0|"
            "CountSpace=2|");

  const std::vector<ProfileRecord> records = DefaultProfileRecords();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(Fields(records[0]),
            "0|ASM \x97 DT For PIC|4|4|Dt|||0x|2||, |; |1|8|0|0|0|0|2");
  EXPECT_EQ(Fields(records[1]),
            "0|ASM \x97 DE For PIC|4|4|De|||0x|2||, |; |1|8|0|0|0|0|2");
  EXPECT_EQ(Fields(records[2]),
            "0|MikroBasic For PIC|1|4|const|As Byte[] = (| )|$|2||, |' "
            "|1|100|0|1|0|0|2");
}

TEST(ProfileRecordTest, MissingKeysTakeTheDefaults) {
  ProfileRecord record = DefaultProfileRecords()[2];
  record.PerenosPoSlovam = record.DeleteSumbolError = record.DeleteSpace = 1;
  record.EndData = "e";
  ProfileFromKeyLookup(
      [](std::string_view) { return std::optional<std::string>(); }, &record);
  EXPECT_EQ(Fields(record), "0|MikroBasic For PIC|2|2|||||2||||0|0|0|0|0|0|2");
}

TEST(ProfileRecordTest, StoredValuesAsRead) {
  const std::vector<ProfileKeyValue> pairs = {
      {"CountSpace", "300"},  // one-byte fields keep the low 8 bits
      {"CommentState", "-1"},
      {"CountByte", "12abc"},
      {"SI", ""},  // present but empty: 0, not the default
      {"Ost1", " \t-7"},
      // The reader strips blanks from untagged values, not from tagged ones.
      {"RazdelitelData", ", "},
      {"Comment", "  [String]; [/String] "},
      {"Directive", "[String]A[String]B[/String]C[/String]"}};
  EXPECT_EQ(Fields(ProfileFromKeyList("p", pairs)),
            "0|p|-7|2|ABC||||0||,|; |255|12|0|0|0|0|44");
}

TEST(ProfileRecordTest, SavedRecordLoadsBackUnchanged) {
  ProfileRecord record = DefaultProfileRecords()[2];
  record.Name = Cp("Мой профиль");
  record.Ost1 = -5;
  record.Directive = " db ";
  record.StartDataBlok = "\t{";
  record.EndData = "h ";
  record.RazdelitelData = " , ";
  record.Comment = Cp(" // ");
  record.CountByte = 1024;
  record.PerenosPoSlovam = record.DeleteSpace = 1;
  record.CountSpace = 255;
  const std::vector<ProfileKeyValue> pairs = ProfileToKeyList(record);
  EXPECT_EQ(Join(pairs),
            "Ost1=-5|Ost2=4|Directive=[String] db [/String]|StartDataBlok="
            "[String]\t{[/String]|EndDataBlok=[String] )[/String]|StartData="
            "[String]$[/String]|SI=2|EndData=[String]h [/String]|"
            "RazdelitelData=[String] , [/String]|Comment=[String] // "
            "[/String]|CommentState=1|CountByte=1024|PerenosPoSlovam=1|"
            "CountByteToComment=1|DeleteSumbolError=0|DeleteSpace=1|"
            "CountSpace=255|");
  EXPECT_EQ(ProfileFromKeyList(record.Name, pairs), record);

  // Tag text inside a field does not survive the next load.
  record.EndData = "a[String]b[/String]c";
  EXPECT_EQ(ProfileFromKeyList("p", ProfileToKeyList(record)).EndData, "abc");
}

TEST(ProfileRecordTest, ParsePreferenceInteger) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const struct {
    std::string value;
    std::int32_t expected;
  } cases[] = {
      {"", 0},
      {"abc", 0},
      {"  \t42x", 42},
      {"+7", 7},
      {"- 5", 0},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"99999999999999999999999", kMax},
      {"-2147483648", kMin},
      {"-99999999999999999999999", kMin},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParsePreferenceInteger(c.value), c.expected) << c.value;
  }
}

TEST(ProfileRecordTest, NamesEqualFoldsAsciiCaseOnly) {
  const struct {
    std::string a;
    std::string b;
    bool equal;
  } cases[] = {
      {Cp("ASM — DT For PIC"), Cp("asm — dt for pic"), true},
      {"Ost", "Ost1", false},
      {"[@", "{`", false},  // 0x20 apart, but not letters
      {Cp("Профиль"), Cp("ПРОФИЛЬ"), false},
      {Cp("Ё"), Cp("ё"), false},
      {Cp("Профиль"), Cp("Профиль"), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NamesEqual(c.a, c.b), c.equal) << c.a << " / " << c.b;
  }
}

}  // namespace
}  // namespace trulvex
