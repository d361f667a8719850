#include "core/shell/text_document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

using testing::Cp;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

TEST(TextDocumentTest, FilesComeBackByteForByte) {
  struct Case {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
    bool bom;
  };
  const std::string bom(kUtf8Bom);
  const Case cases[] = {
      {"all 256 bytes", AllBytes(), TextEncoding::kCp1251, false},
      {"Russian code page 1251", Cp("Привет\r\nмир"), TextEncoding::kCp1251,
       false},
      {"ASCII with NUL and Unix line ends", std::string("ab\0cd\n\n", 7),
       TextEncoding::kCp1251, false},
      {"empty", "", TextEncoding::kCp1251, false},
      {"UTF-8", "Привет\n€ 漢 😀", TextEncoding::kUtf8, false},
      {"UTF-8 with NUL", std::string("я\0я", 5), TextEncoding::kUtf8, false},
      {"UTF-8 with mark", bom + "abc\r\n", TextEncoding::kUtf8, true},
      {"mark alone", bom, TextEncoding::kUtf8, true},
      {"mark before bytes that are not UTF-8", bom + Cp("Привет"),
       TextEncoding::kCp1251, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodedDocument document = DecodeDocument(c.bytes);
    EXPECT_EQ(document.encoding, c.encoding);
    EXPECT_EQ(document.bom, c.bom);
    EXPECT_TRUE(IsValidUtf8(document.utf8));
    const EncodedDocument encoded =
        EncodeDocument(document.utf8, document.encoding, document.bom);
    EXPECT_EQ(encoded.bytes, c.bytes);
    EXPECT_TRUE(encoded.unmappable.empty());
  }
  // What the editor shows.
  EXPECT_EQ(DecodeDocument(Cp("Привет")).utf8, "Привет");
  EXPECT_EQ(DecodeDocument(bom + "Да").utf8, "Да");
  EXPECT_EQ(DecodeDocument(std::string("a\0b", 3)).utf8,
            std::string("a\0b", 3));
}

TEST(TextDocumentTest, CodePageWritesQuestionMarksForWhatItCannotHold) {
  struct Case {
    std::string utf8;
    std::string bytes;
    std::vector<TextSpan> unmappable;  // where the editor shows them
  };
  const Case cases[] = {
      {"Ж€№", Cp("Ж€№"), {}},
      {"\u0098", "\x98", {}},  // the code page's one undefined byte
      {"a漢b😀", "a?b?", {{1, 3}, {5, 4}}},
      {"x\xFFy\xD0", "x?y?", {{1, 1}, {3, 1}}},  // not UTF-8 at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    const EncodedDocument encoded =
        EncodeDocument(c.utf8, TextEncoding::kCp1251, true);
    EXPECT_EQ(encoded.bytes, c.bytes);
    EXPECT_EQ(encoded.unmappable, c.unmappable);
  }
  EXPECT_TRUE(
      EncodeDocument("a漢", TextEncoding::kUtf8, false).unmappable.empty());
}

TEST(TextDocumentTest, NewLinesFollowTheLineEndsMostLinesHave) {
  const std::pair<std::string, LineEnd> cases[] = {
      {"", LineEnd::kCrLf},
      {"one line", LineEnd::kCrLf},
      {"a\r\nb\r\nc\nd", LineEnd::kCrLf},
      {"a\nb\nc\r\nd", LineEnd::kLf},
      {"a\rb\rc\n", LineEnd::kCr},
      {"a\r\nb\n", LineEnd::kCrLf},  // a tie keeps the program's own
      {"a\nb\r", LineEnd::kLf},
      {"\r\r\n\n", LineEnd::kCrLf},  // CR, CR LF, LF
  };
  for (const auto& [text, want] : cases) {
    EXPECT_EQ(DominantLineEnd(text), want) << ::testing::PrintToString(text);
    EXPECT_EQ(DecodeDocument(text).line_end, want);
  }
}

TEST(TextDocumentTest, ExtensionAndStartingFolderRules) {
  const std::pair<std::string, std::string> extensions[] = {
      {"report", "report.txt"},
      {"report.dat", "report.dat"},
      {"notes.", "notes..txt"},
      {"/home/u/old.texts/readme", "/home/u/old.texts/readme.txt"},
      {"C:\\old.texts\\readme", "C:\\old.texts\\readme.txt"},
      {"/home/u/a.b/c.txt", "/home/u/a.b/c.txt"},
  };
  for (const auto& [name, want] : extensions) {
    EXPECT_EQ(WithDefaultExtension(name), want) << name;
  }
  const std::pair<std::string, std::string> folders[] = {
      {"", ""},
      {"file.txt", ""},
      {"/home/u/file.txt", "/home/u/"},
      {"C:\\Docs/sub\\file.txt", "C:\\Docs/sub\\"},
  };
  for (const auto& [entry, want] : folders) {
    EXPECT_EQ(StartingFolder(entry), want) << entry;
  }
}

TEST(TextDocumentTest, FailuresLeaveFilesAlone) {
  TempDir dir;
  std::string read = "kept";
  EXPECT_FALSE(ReadTextFile(dir / "missing.txt", &read));
  EXPECT_FALSE(ReadTextFile(dir.path(), &read));
  EXPECT_EQ(read, "kept");

  WriteFile(dir / "locked.txt", "old");
  std::filesystem::permissions(dir / "locked.txt",
                               std::filesystem::perms::owner_read);
  EXPECT_FALSE(WriteTextFile(dir / "locked.txt", "new"));
  EXPECT_EQ(ReadFile(dir / "locked.txt"), "old");
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace trulvex
