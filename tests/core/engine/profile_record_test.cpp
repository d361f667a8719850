#include "core/engine/profile_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/base/preference_value.h"
#include "test_support.h"

namespace trulvex {
namespace {

using ::trulvex::testing::Cp;

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
    std::string stored, text;
  } cases[] = {
      {"[String] )[/String]", " )"},
      {"[/String]abc", "[/String]abc"},  // the closing tag starts too early
      {"123456[/String]", "123456[/String]"},
      {"1234567[/String]", "1234567"},
      {"a[String]b[/String]c[/String]", "abc"},
      {"[string]x[/string]", "[string]x[/string]"},  // tags are case-exact
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnwrapText(c.stored), c.text) << c.stored;
  }
}

// Missing keys take the defaults; present ones are read leniently.
TEST(ProfileRecordTest, ReadingStoredValues) {
  ProfileRecord record = DefaultProfileRecords()[2];
  record.PerenosPoSlovam = record.DeleteSumbolError = record.DeleteSpace = 1;
  record.EndData = "e";
  ProfileFromKeyLookup([](std::string_view) { return std::nullopt; }, &record);
  EXPECT_EQ(Fields(record), "0|MikroBasic For PIC|2|2|||||2||||0|0|0|0|0|0|2");

  const std::vector<ProfileKeyValue> pairs = {
      {"countspace", "300"},  // one-byte fields keep the low 8 bits
      {"CommentState", "-1"},
      {"CountByte", "12abc"},
      {"SI", ""},  // present but empty: 0, not the default
      {"Ost1", " \t-7"},
      {"Ost1", "5"},             // the first of two wins
      {"RazdelitelData", ", "},  // blanks go unless they are tagged
      {"Comment", "  [String]; [/String] "},
      {"Directive", "[String]A[String]B[/String]C[/String]"}};
  EXPECT_EQ(Fields(ProfileFromKeyList("p", pairs)),
            "0|p|-7|2|ABC||||0||,|; |255|12|0|0|0|0|44");
}

TEST(ProfileRecordTest, SavedRecordLoadsBackUnchanged) {
  ProfileRecord record = DefaultProfileRecords()[2];
  record.Name = Cp("Мой профиль");
  record.Ost1 = -5;
  record.Directive = "\t db ";
  record.CountSpace = 255;
  const std::vector<ProfileKeyValue> pairs = ProfileToKeyList(record);
  std::string joined;
  for (const auto& [key, value] : pairs) joined += key + "=" + value + "|";
  EXPECT_EQ(joined,
            "Ost1=-5|Ost2=4|Directive=[String]\t db [/String]|StartDataBlok="
            "[String]As Byte[] = ([/String]|EndDataBlok=[String] )[/String]|"
            "StartData=[String]$[/String]|SI=2|EndData=[String][/String]|"
            "RazdelitelData=[String], [/String]|Comment=[String]' [/String]|"
            "CommentState=1|CountByte=100|PerenosPoSlovam=0|"
            "CountByteToComment=1|DeleteSumbolError=0|DeleteSpace=0|"
            "CountSpace=255|");
  EXPECT_EQ(ProfileFromKeyList(record.Name, pairs), record);

  // Tag text inside a field does not survive the next load.
  record.EndData = "a[String]b[/String]c";
  EXPECT_EQ(ProfileFromKeyList("p", ProfileToKeyList(record)).EndData, "abc");
}

TEST(ProfileRecordTest, ParsePreferenceIntegerSaturates) {
  using Limits = std::numeric_limits<std::int32_t>;
  EXPECT_EQ(ParsePreferenceInteger("+7"), 7);
  EXPECT_EQ(ParsePreferenceInteger("- 5"), 0);
  EXPECT_EQ(ParsePreferenceInteger("2147483648"), Limits::max());
  EXPECT_EQ(ParsePreferenceInteger("-2147483648"), Limits::min());
  EXPECT_EQ(ParsePreferenceInteger("-99999999999999999999999"), Limits::min());
}

TEST(ProfileRecordTest, NamesEqualFoldsAsciiCaseOnly) {
  EXPECT_TRUE(NamesEqual(Cp("ASM — DT For PIC"), Cp("asm — dt for pic")));
  EXPECT_FALSE(NamesEqual("Ost", "Ost1"));
  EXPECT_FALSE(NamesEqual("[@", "{`"));  // 0x20 apart, but not letters
  EXPECT_FALSE(NamesEqual(Cp("Профиль"), Cp("ПРОФИЛЬ")));
  EXPECT_FALSE(NamesEqual(Cp("Ё"), Cp("ё")));
}

}  // namespace
}  // namespace trulvex
