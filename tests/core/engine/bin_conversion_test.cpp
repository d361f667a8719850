#include "core/engine/bin_conversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/engine/code_mapping.h"
#include "core/engine/text_preparation.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::ChunkedTextReader;
using testing::Cp;
using testing::FileNames;
using testing::kNoSymlinks;
using testing::ReadFile;
using testing::SymlinksAvailable;
using testing::TempDir;
using testing::WriteFile;
using NameList = std::vector<std::string>;

constexpr char kTen[] = "0123456789";

BinOptions Existing(std::string address = "", int replace = 0) {
  BinOptions options;
  options.SaveFile = 1;
  options.AddFile = address.empty() ? 0 : 1;
  options.AsAddFile = replace;
  options.start_address = std::move(address);
  return options;
}

// Converts with a fixed answer to the past-the-end question.
BinOutcome Convert(const fs::path& path, const std::string& text,
                   const BinOptions& options, bool answer = false,
                   int* asked = nullptr) {
  return StartBinConversion(path, text, options, [&](const UserMessage& m) {
    EXPECT_EQ(m, BinPastEndQuestion());
    if (asked != nullptr) ++*asked;
    return answer;
  });
}

TEST(BinConversionTest, NewFileHoldsTheDisplayCodes) {
  const struct {
    std::string text, bytes;
  } cases[] = {
      {"AB", "AB"},
      {"A\tB\r\nC\n\rD\rE\nF", "A B C D E F"},
      {"A~{B", "AB"},  // undisplayable characters leave no byte
      {Cp("Привет"), "\xA8\x70\xB8\xB3\x65\xBF"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "out.bin", kTen);  // replaced whole
    EXPECT_EQ(Convert(dir / "out.bin", c.text, {}), BinOutcome::kSuccess);
    EXPECT_EQ(ReadFile(dir / "out.bin"), c.bytes) << c.text;
    EXPECT_EQ(FileNames(dir.path()), NameList{"out.bin"});
  }
}

TEST(BinConversionTest, ExistingFileModesPlaceTheBytes) {
  constexpr BinOutcome kOk = BinOutcome::kSuccess;
  constexpr BinOutcome kNo = BinOutcome::kNotConverted;
  const struct {
    BinOptions options;
    const char* before;  // null: no file
    bool answer;         // to the question asked past the end
    BinOutcome outcome;
    const char* after;
  } cases[] = {
      {Existing(), kTen, false, kOk, "0123456789XYZ"},
      {Existing("0"), kTen, false, kOk, "XYZ0123456789"},
      {Existing("4abc"), kTen, false, kOk, "0123XYZ456789"},
      {Existing("4", 1), kTen, false, kOk, "0123XYZ789"},
      {Existing("7", 1), kTen, false, kOk, "0123456XYZ"},
      {Existing("9", 1), kTen, false, kOk, "012345678XYZ"},
      {Existing("10"), kTen, true, kOk, "0123456789XYZ"},
      {Existing("10"), kTen, false, kNo, kTen},
      {Existing("4294967296", 1), kTen, false, kNo, kTen},  // not 0 in 32 bits
      {Existing("99999999999999999999", 1), kTen, true, kOk, "0123456789XYZ"},
      {Existing(), nullptr, false, kOk, "XYZ"},
      {Existing("0"), nullptr, true, kOk, "XYZ"},
      {Existing("0"), nullptr, false, kNo, nullptr},  // no empty file left
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options.start_address);
    TempDir dir;
    if (c.before != nullptr) WriteFile(dir / "data.bin", c.before);
    int asked = 0;
    EXPECT_EQ(Convert(dir / "data.bin", "XYZ", c.options, c.answer, &asked),
              c.outcome);
    EXPECT_EQ(asked, c.answer || c.outcome == kNo);
    EXPECT_EQ(FileNames(dir.path()),
              c.after != nullptr ? NameList{"data.bin"} : NameList{});
    EXPECT_EQ(ReadFile(dir / "data.bin"), c.after != nullptr ? c.after : "");
  }
}

TEST(BinConversionTest, RefusalsCreateNoFile) {
  BinOptions no_address = Existing("0"), cleaning;
  no_address.start_address.clear();
  cleaning.DelErrSunmol = 1;
  EXPECT_EQ(Convert("", "AB", BinOptions{}), BinOutcome::kNoPath);
  const struct {
    std::string text;
    BinOptions options;
    BinOutcome expected;
  } cases[] = {
      {"", BinOptions{}, BinOutcome::kNoText},
      {"", Existing("0"), BinOutcome::kNoText},
      {"~{\x01\x98", BinOptions{}, BinOutcome::kNothingDisplayable},
      {"~{\x01\x98", Existing("0"), BinOutcome::kNothingDisplayable},
      {"~{\x01\x98", cleaning, BinOutcome::kNoText},
      {"AB", no_address, BinOutcome::kNoStartAddress},
      {"~{\x01", no_address, BinOutcome::kNoStartAddress},  // before the rest
  };
  for (const auto& c : cases) {
    TempDir dir;
    EXPECT_EQ(Convert(dir / "out.bin", c.text, c.options, true), c.expected)
        << c.text;
    EXPECT_EQ(FileNames(dir.path()), NameList{}) << c.text;
  }
  EXPECT_EQ(ConvertToBin("unused.bin", "~{", no_address, nullptr),
            BinOutcome::kNoStartAddress);
}

TEST(BinConversionTest, UnusableTargetsFailWithoutLeftovers) {
  for (const BinOptions& options : {BinOptions{}, Existing()}) {
    const BinOutcome expected = options.SaveFile == 1
                                    ? BinOutcome::kOpenFailed
                                    : BinOutcome::kCreateFailed;
    TempDir dir;
    const fs::path locked = dir / "locked.bin";
    WriteFile(locked, kTen);
    fs::permissions(locked, fs::perms::owner_read);
    fs::create_directory(dir / "folder");
    for (const fs::path& target : {locked, dir / "folder", dir / "no" / "x"}) {
      EXPECT_EQ(Convert(target, "AB", options), expected) << target;
    }
    EXPECT_EQ(ReadFile(locked), kTen);
    // Still read-only, the one part of the mode Windows has.
    EXPECT_EQ(fs::status(locked).permissions() & fs::perms::owner_write,
              fs::perms::none);
    EXPECT_EQ(FileNames(dir.path()), (NameList{"folder", "locked.bin"}));
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
  }
}

TEST(BinConversionTest, ReplacingKeepsPermissionsAndSymlinks) {
  if (!SymlinksAvailable()) GTEST_SKIP() << kNoSymlinks;
  const fs::perms mode =
      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  for (const auto& [options, expected] :
       {std::pair{BinOptions{}, "AB"}, std::pair{Existing("2", 1), "01AB"}}) {
    TempDir dir;
    WriteFile(dir / "real.bin", "0123");
    fs::permissions(dir / "real.bin", mode);
    fs::create_symlink("real.bin", dir / "link.bin");
    ASSERT_EQ(Convert(dir / "link.bin", "AB", options), BinOutcome::kSuccess);
    EXPECT_EQ(fs::read_symlink(dir / "link.bin"), "real.bin");
    EXPECT_EQ(fs::status(dir / "real.bin").permissions(), mode);
    EXPECT_EQ(ReadFile(dir / "real.bin"), expected);
    EXPECT_EQ(FileNames(dir.path()), (NameList{"link.bin", "real.bin"}));
  }
  if (fs::exists("/dev/full")) {  // a failed write is not a success
    EXPECT_EQ(Convert("/dev/full", "AB", {}), BinOutcome::kWriteFailed);
  }
}

// The codes of a text handed over in chunks of random sizes from one byte
// up (line breaks, runs of spaces and CR LF split anywhere) are those of
// the whole text flattened, cleaned and mapped in one go.
TEST(BinConversionTest, ChunkedTextGivesTheWholeTextsCodes) {
  static const char* const kParts[] = {"\r",           "\n", "\r\n", "\n\r",
                                       "\t",           " ",  "   ",  "Word",
                                       "\xCF\xF0\xE8", "~{"};
  std::mt19937 random(77);
  for (int round = 0; round < 400; ++round) {
    std::string text;
    const std::size_t size =
        random() % 5 == 0 ? random() % 5000 : random() % 60;
    while (text.size() < size) {
      if (random() % 4 == 0) {
        text += static_cast<char>(random() % 256);
      } else {
        text += kParts[random() % std::size(kParts)];
      }
    }
    BinOptions options;
    options.DelErrSunmol = static_cast<int>(random() % 3);
    options.DelSpace = static_cast<int>(random() % 3);
    options.CountSpace =
        random() % 6 == 0 ? 200 : static_cast<int>(random() % 4);
    const std::string prepared =
        CleanText(FlattenText(text), options.DelSpace, options.CountSpace,
                  options.DelErrSunmol);
    const std::string expected = MapToLcdCodes(prepared);
    const BinOutcome outcome = !expected.empty() ? BinOutcome::kSuccess
                               : prepared.empty()
                                   ? BinOutcome::kNoText
                                   : BinOutcome::kNothingDisplayable;
    SCOPED_TRACE(::testing::Message() << "round " << round);
    for (const std::size_t max_chunk : {1, 5, 4096}) {
      ChunkedTextReader reader(text, random(), max_chunk, max_chunk == 5);
      std::string codes;
      ASSERT_EQ(StartBinConversion(reader, options,
                                   [&codes](std::string_view bytes) {
                                     codes.append(bytes);
                                     return true;
                                   }),
                outcome);
      ASSERT_EQ(codes, expected) << max_chunk;
    }
  }
}

TEST(BinConversionTest, ParseStartAddressReadsLeadingDigits) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  EXPECT_EQ(ParseStartAddress(" 5"), 0u);
  EXPECT_EQ(ParseStartAddress("0004x5"), 4u);
  EXPECT_EQ(ParseStartAddress("18446744073709551615"), kMax);
  EXPECT_EQ(ParseStartAddress("18446744073709551616"), kMax);
}

TEST(BinConversionTest, FileFailureMessagesQuoteThePath) {
  EXPECT_EQ(BinOutcomeMessage(BinOutcome::kOpenFailed, "/tmp/мои файлы").text,
            "Не удалось открыть файл \n\"/tmp/мои файлы\"");
}

}  // namespace
}  // namespace trulvex
