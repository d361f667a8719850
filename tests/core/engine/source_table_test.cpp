#include "core/engine/source_table.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/engine/char_map.h"
#include "core/engine/conversion_run.h"
#include "core/engine/profile_record.h"

namespace trulvex {
namespace {

// The layout rules applied one character at a time, as a reference.
std::string Expected(std::string_view piece, const ProfileRecord& p) {
  const bool comment = !p.Comment.empty();
  std::string out = comment && p.CommentState == 1
                        ? p.Comment + std::string(piece) + "\r\n"
                        : "";
  out += std::string(std::max(p.Ost1, 0), ' ') + p.Directive +
         std::string(std::max(p.Ost2, 0), ' ') + p.StartDataBlok;
  int count = 0;
  for (std::size_t k = 0; k < piece.size(); ++k) {
    const auto code = CharToLcdCode(static_cast<std::uint8_t>(piece[k]));
    if (code == 0) continue;
    out += p.StartData + FormatLcdNumber(code, p.SI) + p.EndData;
    if (k + 1 < piece.size()) out += p.RazdelitelData;
    ++count;
  }
  out += p.EndDataBlok;
  if (comment && p.CountByteToComment == 1) {
    out += " " + p.Comment + std::to_string(count);
  }
  return out + "\r\n";
}

// Items of up to 16 or 32 bytes and longer ones are copied differently.
std::vector<ProfileRecord> Profiles() {
  std::vector<ProfileRecord> p(6, DefaultProfileRecords()[0]);
  p[1].Comment.clear();  // no comment line, no byte count
  p[1].CountByteToComment = 1;
  p[1].Directive.clear();  // nothing precedes the first number
  p[1].Ost1 = p[1].Ost2 = 0;
  p[2].Ost1 = -1;
  p[2].Ost2 = std::numeric_limits<std::int32_t>::min();
  p[2].SI = 3;  // no number text
  p[2].RazdelitelData = std::string(33, ',');
  p[3].StartData = std::string(28, '#');
  p[4].StartData = std::string(29, '#');
  p[5].SI = 0;
  p[5].StartData = p[5].Comment = p[5].Directive = std::string(40, 'b');
  p[5].EndDataBlok = std::string(33, ')');
  p[5].CountByteToComment = 1;
  return p;
}

TEST(SourceTableTest, FormatLcdNumber) {
  EXPECT_EQ(FormatLcdNumber(0x01, 0), "00000001");
  EXPECT_EQ(FormatLcdNumber(0x05, 1), "5");
  EXPECT_EQ(FormatLcdNumber(0x0A, 2), "0A");
  EXPECT_EQ(FormatLcdNumber(0x41, -1), "");
}

TEST(SourceTableTest, FormatLinePieceFollowsTheLayoutRules) {
  const std::vector<ProfileRecord> profiles = Profiles();
  const struct {
    int profile;
    std::string piece, expected;
  } anchors[] = {
      {0, "{}~", "; {}~\r\n    Dt    \r\n"},
      {0, "AB{", "; AB{\r\n    Dt    0x41, 0x42, \r\n"},  // separator stays
      {0, "A~B", "; A~B\r\n    Dt    0x41, 0x42\r\n"},
      {1, "AB", "0x41, 0x42\r\n"},
      {1, "{A", "0x41\r\n"},
      {2, "AB", "; AB\r\nDt0x" + std::string(33, ',') + "0x\r\n"},
  };
  for (const auto& c : anchors) {
    EXPECT_EQ(Expected(c.piece, profiles[c.profile]), c.expected) << c.piece;
  }
  std::vector<std::string> pieces = {"AB", "{}~", "AB{", "A~B", "{A", ""};
  for (int c = 255; c >= 0; --c) pieces.back() += static_cast<char>(c);
  std::string words;
  for (int i = 0; i < 9000; ++i) words += "AB{ Zz~"[i % 7];
  // Long pieces are written in blocks of 4096 characters.
  for (const std::size_t length : {4096, 4097, 8192, 8193}) {
    pieces.push_back(words.substr(0, length));
    pieces.push_back(words.substr(1, length));
  }
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    for (const std::string& piece : pieces) {
      std::string out;
      FormatLinePiece(piece, profiles[i], &out);
      EXPECT_EQ(out, Expected(piece, profiles[i]))
          << "profile " << i << ", piece of " << piece.size();
    }
  }
}

// Where the processor has the vector writer, it writes what the portable
// one writes: whole pieces, groups of items and the slot-by-slot fallback
// for pieces holding undisplayable characters, for hexadecimal items of
// every length up to a slot.
TEST(SourceTableTest, VectorWriterMatchesThePortableOne) {
  std::mt19937 random(16);
  const auto text = [&random](std::size_t size, int undisplayable_in) {
    std::string out(size, ' ');
    for (char& c : out) {
      c = static_cast<char>(
          random() % undisplayable_in == 0 ? '~' : 0x20 + random() % 0xE0);
    }
    return out;
  };
  for (int round = 0; round < 300; ++round) {
    ProfileRecord p = DefaultProfileRecords()[random() % 3];
    p.SI = 2;
    p.StartData = text(random() % 12, 1000);
    p.EndData = text(random() % 8, 1000);
    p.RazdelitelData = text(random() % 8, 1000);
    p.Comment = text(random() % 3, 1000);
    p.CommentState = static_cast<int>(random() % 2);
    p.CountByteToComment = static_cast<int>(random() % 2);
    p.CountByte = 1 + static_cast<std::int32_t>(random() % 40);
    const TableLayout vector(p);
    const TableLayout portable(p, false);
    const auto length = static_cast<std::size_t>(p.CountByte);
    const std::string chars = text(random() % 3000, 1 + random() % 200);
    const auto write = [&](const TableLayout& layout, auto how) {
      std::string out(layout.PieceRoom(length) * (chars.size() / length + 1) +
                          layout.NumbersRoom(chars.size()),
                      '\0');
      out.resize(
          static_cast<std::size_t>(how(layout, out.data()) - out.data()));
      return out;
    };
    const auto pieces = [&](const TableLayout& layout, char* dst) {
      return layout.WritePieces(chars, length, dst);
    };
    const auto numbers = [&](const TableLayout& layout, char* dst) {
      std::uint64_t count = 0;
      dst = layout.WriteNumbers(chars, round % 2 == 0, dst, &count);
      return dst + std::to_string(count).copy(dst, 20);
    };
    ASSERT_EQ(write(vector, pieces), write(portable, pieces)) << round;
    ASSERT_EQ(write(vector, numbers), write(portable, numbers)) << round;
  }
}

// A long StartData is written once per character, never copied for each
// of the 160 codes ahead: one character with a 16 MB StartData converts
// within 400 MB of address space (the copies alone took 2.5 GB).
TEST(SourceTableTest, LongProfileTextsAreNotCopiedPerCode) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows has no fork to limit a copy of this process";
#elif defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than that";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than that";
#endif
#endif
#if !defined(_WIN32)
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr rlim_t kLimit = rlim_t{400} << 20;
    const rlimit limit{kLimit, kLimit};
    setrlimit(RLIMIT_AS, &limit);
    ProfileRecord profile = DefaultProfileRecords()[0];
    profile.StartData = std::string(std::size_t{16} << 20, 'x');
    try {
      const TableResult result = ConvertToTable("A", profile);
      _exit(result.table == Expected("A", profile) ? 0 : 1);
    } catch (...) {
      _exit(2);
    }
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

}  // namespace
}  // namespace trulvex
