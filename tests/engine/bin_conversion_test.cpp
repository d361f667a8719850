#include "engine/bin_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/code_mapping.h"
#include "engine/text_preparation.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::Cp;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr char kTenBytes[] = "0123456789";

// Records the past-the-end question and gives a fixed answer.
struct Question {
  bool answer = false;
  int asked = 0;
  UserMessage last{};
  AppendPastEndQuestion Callback() {
    return [this](const UserMessage& message) {
      ++asked;
      last = message;
      return answer;
    };
  }
};

BinOptions Existing(std::string address = "", int replace = 0) {
  BinOptions options;
  options.SaveFile = 1;
  options.AddFile = address.empty() ? 0 : 1;
  options.AsAddFile = replace;
  options.start_address = std::move(address);
  return options;
}

// Sorted names in the directory: shows stray temporary files.
std::vector<std::string> Names(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

using NameList = std::vector<std::string>;

constexpr fs::perms kAllWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

TEST(BinConversionTest, NewFileHoldsTheDisplayCodes) {
  const struct {
    std::string text;
    std::string bytes;
  } cases[] = {
      {"AB", "AB"},
      {"AB\r\nCD", "AB CD"},
      {"A\tB\n\rC\rD", "A B C D"},
      {"A~{B", "AB"},  // undisplayable characters leave no byte
      {Cp("Привет"), "\xA8\x70\xB8\xB3\x65\xBF"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Question question;
    EXPECT_EQ(StartBinConversion(dir / "out.bin", c.text, BinOptions{},
                                 question.Callback()),
              BinOutcome::kSuccess);
    EXPECT_EQ(ReadFile(dir / "out.bin"), c.bytes) << c.text;
    EXPECT_EQ(Names(dir.path()), NameList{"out.bin"});
    EXPECT_EQ(question.asked, 0);
  }
}

TEST(BinConversionTest, NewFileModeReplacesAnExistingFile) {
  TempDir dir;
  WriteFile(dir / "out.bin", kTenBytes);
  Question question;
  EXPECT_EQ(StartBinConversion(dir / "out.bin", "AB", BinOptions{},
                               question.Callback()),
            BinOutcome::kSuccess);
  EXPECT_EQ(ReadFile(dir / "out.bin"), "AB");
  EXPECT_EQ(Names(dir.path()), NameList{"out.bin"});
}

TEST(BinConversionTest, ExistingFileModesPlaceTheBytes) {
  const struct {
    BinOptions options;
    std::string expected;
  } cases[] = {
      {Existing(), "0123456789XYZ"},
      {Existing("4"), "0123XYZ456789"},
      {Existing("0"), "XYZ0123456789"},
      {Existing("4abc"), "0123XYZ456789"},  // leading digits only
      {Existing("4", 1), "0123XYZ789"},
      {Existing("7", 1), "0123456XYZ"},
      {Existing("9", 1), "012345678XYZ"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "data.bin", kTenBytes);
    Question question;
    EXPECT_EQ(StartBinConversion(dir / "data.bin", "XYZ", c.options,
                                 question.Callback()),
              BinOutcome::kSuccess);
    EXPECT_EQ(ReadFile(dir / "data.bin"), c.expected)
        << "address " << c.options.start_address;
    EXPECT_EQ(question.asked, 0);
    EXPECT_EQ(Names(dir.path()), NameList{"data.bin"});
  }
}

TEST(BinConversionTest, AddressAtOrPastTheEndAsksBeforeAppending) {
  const UserMessage expected_question{
      UserMessage::Icon::kWarning, "Преобразование",
      "Начальный адрес больше текущего размера файла!\n"
      "Добавить данные в конец файла?"};
  EXPECT_EQ(BinPastEndQuestion(), expected_question);
  // 4294967296 would be 0 if the address were cut to 32 bits.
  for (const char* address :
       {"10", "11", "99999999", "4294967296", "999999999999999999999999"}) {
    for (const int replace : {0, 1}) {
      for (const bool answer : {true, false}) {
        TempDir dir;
        WriteFile(dir / "data.bin", kTenBytes);
        Question question{answer};
        EXPECT_EQ(
            StartBinConversion(dir / "data.bin", "XYZ",
                               Existing(address, replace), question.Callback()),
            answer ? BinOutcome::kSuccess : BinOutcome::kNotConverted)
            << address;
        EXPECT_EQ(question.asked, 1);
        EXPECT_EQ(question.last, expected_question);
        EXPECT_EQ(ReadFile(dir / "data.bin"),
                  answer ? "0123456789XYZ" : kTenBytes);
        EXPECT_EQ(Names(dir.path()), NameList{"data.bin"});
      }
    }
  }
}

TEST(BinConversionTest, ExistingModeOnAMissingFile) {
  {
    TempDir dir;
    Question question;
    EXPECT_EQ(StartBinConversion(dir / "new.bin", "AB", Existing(),
                                 question.Callback()),
              BinOutcome::kSuccess);
    EXPECT_EQ(ReadFile(dir / "new.bin"), "AB");
  }
  for (const bool answer : {true, false}) {
    TempDir dir;
    Question question{answer};
    EXPECT_EQ(StartBinConversion(dir / "new.bin", "AB", Existing("0"),
                                 question.Callback()),
              answer ? BinOutcome::kSuccess : BinOutcome::kNotConverted);
    EXPECT_EQ(question.asked, 1);
    // Declining must not leave an empty file behind.
    EXPECT_EQ(Names(dir.path()), answer ? NameList{"new.bin"} : NameList{});
    EXPECT_EQ(ReadFile(dir / "new.bin"), answer ? "AB" : "");
  }
}

TEST(BinConversionTest, EmptyStartAddressIsReportedBeforeOtherChecks) {
  BinOptions options = Existing("0");
  options.start_address.clear();
  for (const std::string text : {"AB", "~{\x01"}) {
    TempDir dir;
    Question question{true};
    EXPECT_EQ(StartBinConversion(dir / "data.bin", text, options,
                                 question.Callback()),
              BinOutcome::kNoStartAddress);
    EXPECT_EQ(
        ConvertToBin(dir / "data.bin", text, options, question.Callback()),
        BinOutcome::kNoStartAddress);
    EXPECT_EQ(question.asked, 0);
    EXPECT_EQ(Names(dir.path()), NameList{});
  }
}

TEST(BinConversionTest, RefusalsCreateNoFile) {
  BinOptions delete_undisplayable;
  delete_undisplayable.DelErrSunmol = 1;
  const struct {
    bool with_path;
    std::string text;
    BinOptions options;
    BinOutcome expected;
  } cases[] = {
      {false, "AB", BinOptions{}, BinOutcome::kNoPath},
      {true, "", BinOptions{}, BinOutcome::kNoText},
      {true, "", Existing("0"), BinOutcome::kNoText},
      {true, "~{\x01\x98", BinOptions{}, BinOutcome::kNothingDisplayable},
      {true, "~{\x01\x98", Existing(), BinOutcome::kNothingDisplayable},
      {true, "~{\x01\x98", Existing("0"), BinOutcome::kNothingDisplayable},
      {true, "~{\x01\x98", delete_undisplayable, BinOutcome::kNoText},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Question question{true};
    const fs::path path = c.with_path ? dir / "out.bin" : fs::path();
    EXPECT_EQ(StartBinConversion(path, c.text, c.options, question.Callback()),
              c.expected)
        << c.text;
    EXPECT_EQ(Names(dir.path()), NameList{}) << c.text;
  }
}

TEST(BinConversionTest, ReadOnlyTargetIsNotReplaced) {
  for (const int save_file : {0, 1}) {
    TempDir dir;
    const fs::path path = dir / "locked.bin";
    WriteFile(path, kTenBytes);
    fs::permissions(path, kAllWrite, fs::perm_options::remove);
    const fs::perms before = fs::status(path).permissions();
    BinOptions options = save_file == 1 ? Existing() : BinOptions{};
    Question question;
    EXPECT_EQ(
        StartBinConversion(path, "AB", options, question.Callback()),
        save_file == 1 ? BinOutcome::kOpenFailed : BinOutcome::kCreateFailed);
    EXPECT_EQ(ReadFile(path), kTenBytes);
    EXPECT_EQ(fs::status(path).permissions(), before);
    EXPECT_EQ(Names(dir.path()), NameList{"locked.bin"});
  }
}

TEST(BinConversionTest, UnusableTargetsFailWithoutLeftovers) {
  for (const int save_file : {0, 1}) {
    const BinOutcome expected =
        save_file == 1 ? BinOutcome::kOpenFailed : BinOutcome::kCreateFailed;
    BinOptions options = save_file == 1 ? Existing() : BinOptions{};
    TempDir dir;
    fs::create_directory(dir / "folder");
    Question question;
    EXPECT_EQ(
        StartBinConversion(dir / "folder", "AB", options, question.Callback()),
        expected);
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_EQ(StartBinConversion(dir / "missing" / "out.bin", "AB", options,
                                 question.Callback()),
              expected);
    EXPECT_EQ(Names(dir.path()), NameList{"folder"});
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
  }
}

TEST(BinConversionTest, ReplacingKeepsPermissionsAndSymlinks) {
  const fs::perms mode =
      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  const struct {
    BinOptions options;
    std::string expected;
  } cases[] = {
      {BinOptions{}, "AB"},
      {Existing(), "0123AB"},
      {Existing("2"), "01AB23"},
      {Existing("2", 1), "01AB"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "real.bin", "0123");
    fs::permissions(dir / "real.bin", mode);
    fs::create_symlink("real.bin", dir / "link.bin");
    Question question;
    ASSERT_EQ(StartBinConversion(dir / "link.bin", "AB", c.options,
                                 question.Callback()),
              BinOutcome::kSuccess);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.bin")));
    EXPECT_EQ(fs::read_symlink(dir / "link.bin"), "real.bin");
    EXPECT_EQ(fs::status(dir / "real.bin").permissions(), mode);
    EXPECT_EQ(ReadFile(dir / "real.bin"), c.expected);
    EXPECT_EQ(Names(dir.path()), (NameList{"link.bin", "real.bin"}));
  }
}

TEST(BinConversionTest, WriteErrorIsNotReportedAsSuccess) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Question question;
  EXPECT_EQ(
      StartBinConversion("/dev/full", "AB", BinOptions{}, question.Callback()),
      BinOutcome::kWriteFailed);
}

TEST(BinConversionTest, FlattenToLcdCodesMatchesFlattenThenMap) {
  std::string all_bytes;
  for (int c = 0; c < 256; ++c) all_bytes += static_cast<char>(c);
  std::vector<std::string> texts = {
      "",        "\r",
      "\n",      "\r\n",
      "\n\r",    "\r\r\n",
      "\n\n\r",  "\r\n\r\n",
      "\t\r\n",  "\r\t\n",
      all_bytes, all_bytes + "\r\n" + all_bytes + "\n\r\r" + all_bytes,
  };
  // Mixtures that stress the pairing of CR and LF at every position.
  std::mt19937 random(1251);
  const char alphabet[] = {'\r', '\n', '\t', ' ', 'A', '~', '\x98', '\xC0'};
  for (int i = 0; i < 500; ++i) {
    std::string text(random() % 12, ' ');
    for (char& c : text) c = alphabet[random() % sizeof(alphabet)];
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    EXPECT_EQ(FlattenToLcdCodes(text), MapToLcdCodes(FlattenText(text)));
  }
  // Each break, paired or alone, is one blank.
  EXPECT_EQ(FlattenToLcdCodes("A\r\n\n\rB\r\rC\tD"), "A  B  C D");
}

TEST(BinConversionTest, ParseStartAddressReadsLeadingDigits) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  const struct {
    const char* field;
    std::uint64_t value;
  } cases[] = {
      {"", 0},
      {"abc", 0},
      {" 5", 0},
      {"0004", 4},
      {"12ab34", 12},
      {"99999999", 99999999},
      {"4294967296", std::uint64_t{1} << 32},
      {"18446744073709551615", kMax},
      {"18446744073709551616", kMax},
      {"999999999999999999999999999", kMax},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseStartAddress(c.field), c.value) << c.field;
  }
}

TEST(BinConversionTest, FileFailureMessagesQuoteThePath) {
  const std::string path = "/tmp/мои файлы/out.bin";
  EXPECT_EQ(BinOutcomeMessage(BinOutcome::kCreateFailed, path),
            (UserMessage{UserMessage::Icon::kError, "Ошибка",
                         "Не удалось создать файл \n\"" + path + "\""}));
  EXPECT_EQ(BinOutcomeMessage(BinOutcome::kOpenFailed, path),
            (UserMessage{UserMessage::Icon::kError, "Ошибка",
                         "Не удалось открыть файл \n\"" + path + "\""}));
}

}  // namespace
}  // namespace trulvex
