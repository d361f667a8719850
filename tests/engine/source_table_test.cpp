#include "engine/source_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/char_map.h"
#include "profiles/profile_record.h"

namespace trulvex {
namespace {

std::string Format(std::string_view piece, const ProfileRecord& profile) {
  std::string out;
  FormatLinePiece(piece, profile, &out);
  return out;
}

ProfileRecord DtProfile() { return DefaultProfileRecords()[0]; }

// The layout rules applied one character at a time, to hold the
// block-copying writer against.
std::string Expected(std::string_view piece, const ProfileRecord& p) {
  const bool comment = !p.Comment.empty();
  std::string out;
  if (comment && p.CommentState == 1) {
    out += p.Comment + std::string(piece) + "\r\n";
  }
  out += std::string(std::max(p.Ost1, 0), ' ') + p.Directive +
         std::string(std::max(p.Ost2, 0), ' ') + p.StartDataBlok;
  int count = 0;
  for (std::size_t k = 0; k < piece.size(); ++k) {
    const std::uint8_t code =
        CharToLcdCode(static_cast<std::uint8_t>(piece[k]));
    if (code == 0) continue;
    out += p.StartData + FormatLcdNumber(code, p.SI) + p.EndData;
    ++count;
    if (k + 1 < piece.size()) out += p.RazdelitelData;
  }
  out += p.EndDataBlok;
  if (comment && p.CountByteToComment == 1) {
    out += " " + p.Comment + std::to_string(count);
  }
  return out + "\r\n";
}

TEST(SourceTableTest, FormatLcdNumber) {
  const struct {
    std::uint8_t code;
    std::int32_t si;
    std::string expected;
  } cases[] = {
      {0xA8, 0, "10101000"}, {0x01, 0, "00000001"}, {0xFF, 0, "11111111"},
      {0x05, 1, "5"},        {0x20, 1, "32"},       {0xFF, 1, "255"},
      {0x0A, 2, "0A"},       {0xBF, 2, "BF"},       {0x41, 3, ""},
      {0x41, -1, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatLcdNumber(c.code, c.si), c.expected)
        << int{c.code} << " si " << c.si;
  }
}

TEST(SourceTableTest, FormatLinePiece) {
  const ProfileRecord dt = DtProfile();
  const ProfileRecord basic = DefaultProfileRecords()[2];
  ProfileRecord no_comment = dt;
  no_comment.Comment.clear();
  no_comment.CountByteToComment = 1;
  ProfileRecord count_only = dt;
  count_only.CommentState = 0;
  count_only.CountByteToComment = 1;
  ProfileRecord negative = dt;
  negative.Ost1 = -1;
  negative.Ost2 = std::numeric_limits<std::int32_t>::min();
  ProfileRecord bad_si = dt;
  bad_si.SI = 3;
  bad_si.StartData = "<";
  bad_si.EndData = ">";
  ProfileRecord bare = no_comment;
  bare.Ost1 = bare.Ost2 = 0;
  bare.Directive.clear();

  const struct {
    const ProfileRecord& profile;
    std::string piece;
    std::string expected;
  } cases[] = {
      {dt, "{}~", "; {}~\r\n    Dt    \r\n"},
      {basic, "{}~", "' {}~\r\n const    As Byte[] = ( ) ' 0\r\n"},
      {basic, "AB", "' AB\r\n const    As Byte[] = ($41, $42 ) ' 2\r\n"},
      {dt, "AB{", "; AB{\r\n    Dt    0x41, 0x42, \r\n"},  // separator stays
      {dt, "A~B", "; A~B\r\n    Dt    0x41, 0x42\r\n"},
      {dt, "A ", "; A \r\n    Dt    0x41, 0x20\r\n"},
      {no_comment, "AB", "    Dt    0x41, 0x42\r\n"},
      {count_only, "A{B", "    Dt    0x41, 0x42 ; 2\r\n"},
      {negative, "A", "; A\r\nDt0x41\r\n"},
      {bad_si, "AB", "; AB\r\n    Dt    <>, <>\r\n"},
      // Nothing precedes the first number, which is written all the same.
      {bare, "AB", "0x41, 0x42\r\n"},
      {bare, "{A", "0x41\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Format(c.piece, c.profile), c.expected) << c.piece;
  }
}

// Items of up to 32 bytes with their separator and longer ones are copied
// differently; both must follow the same rules, also across long pieces.
TEST(SourceTableTest, EveryItemSizeGivesTheSameLayout) {
  std::vector<ProfileRecord> profiles(8, DtProfile());
  profiles[1].StartData = std::string(28, '#');
  profiles[2].StartData = std::string(29, '#');
  profiles[3].StartData = std::string(100, '#');
  profiles[4].RazdelitelData = std::string(33, ',');
  profiles[5].SI = 0;
  profiles[5].StartData = std::string(20, 'b');
  profiles[5].EndData = "'";
  profiles[5].CountByteToComment = 1;
  profiles[6] = profiles[4];
  profiles[6].SI = 7;
  profiles[7].Comment = std::string(40, ';');
  profiles[7].Directive = std::string(40, 'D');
  profiles[7].EndDataBlok = std::string(40, ')');
  profiles[7].CountByteToComment = 1;

  std::string all_bytes;
  for (int c = 255; c >= 0; --c) all_bytes += static_cast<char>(c);
  std::string words;
  for (int i = 0; i < 9000; ++i) words += "AB{ Zz~"[i % 7];
  // Long pieces are written in blocks of 4096 characters.
  std::vector<std::string> pieces = {"A", "{", "AB{", all_bytes, words};
  for (const std::size_t length : {4096, 4097, 8192, 8193}) {
    for (const std::size_t from : {0, 1, 2}) {
      pieces.push_back(words.substr(from, length));
    }
  }
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    for (const std::string& piece : pieces) {
      EXPECT_EQ(Format(piece, profiles[i]), Expected(piece, profiles[i]))
          << "profile " << i << ", piece of " << piece.size();
    }
  }
}

}  // namespace
}  // namespace trulvex
