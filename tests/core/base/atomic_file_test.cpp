// Replacement as other programs see it: a reader never finds the file
// missing or half written, and what the user set on the file survives.
#include "core/base/atomic_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/base/open_file.h"
#include "core/base/path_bytes.h"
#include "test_support.h"

#if defined(_WIN32)
#include <windows.h>
// After <windows.h>, which they need.
#include <aclapi.h>
#include <sddl.h>
#else
#include <sys/stat.h>
#endif

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::FileNames;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

bool Replace(const fs::path& path, const std::string& bytes) {
  std::error_code error;
  const std::unique_ptr<AtomicFileWriter> writer =
      AtomicFileWriter::Begin(path, &error);
  return writer && writer->Write(bytes) && writer->Commit();
}

// Read as the program reads (OpenFile), so that on Windows the reader lets
// the file be replaced under it.
std::string ReadOpen(const fs::path& path, bool* found) {
  const UniqueFile file(OpenFile(path, "rb"));
  *found = file != nullptr;
  std::string bytes;
  char buffer[1 << 14];
  for (std::size_t got;
       file && (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
    bytes.append(buffer, got);
  }
  return bytes;
}

TEST(AtomicFileTest, ReadersAlwaysFindAWholeFile) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  const std::string versions[] = {std::string(20000, 'a'),
                                  std::string(14000, 'b')};
  WriteFile(path, versions[0]);
  std::atomic<bool> done{false};
  int missing = 0, torn = 0, reads = 0;
  std::thread reader([&] {
    while (!done.load()) {
      bool found = false;
      const std::string bytes = ReadOpen(path, &found);
      ++reads;
      if (!found) {
        ++missing;
      } else if (bytes != versions[0] && bytes != versions[1]) {
        ++torn;
      }
      // Room for the writer: Wine moves no name over an open file.
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  int failed = 0;
  for (int round = 1; round <= 20; ++round) {
    if (!Replace(path, versions[round % 2])) ++failed;
  }
  done = true;
  reader.join();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(missing, 0) << "of " << reads << " reads";
  EXPECT_EQ(torn, 0) << "of " << reads << " reads";
  EXPECT_TRUE(ReadFile(path) == versions[0]);
  EXPECT_EQ(testing::FileNames(dir.path()).size(), 1u);
}

// What the user set in Explorer (hidden, archive, the creation date)
// stays with the file a replacement writes.
TEST(AtomicFileTest, ReplacementKeepsAttributesAndCreationTime) {
#if !defined(_WIN32)
  GTEST_SKIP() << "file attributes and creation times are Windows' own; "
                  "POSIX keeps mode, owner and group (CliReliabilityTest)";
#else
  TempDir dir;
  const fs::path path = dir / "table.asm";
  WriteFile(path, "old");
  constexpr DWORD kSet = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), kSet));
  const HANDLE old = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(old, INVALID_HANDLE_VALUE);
  SYSTEMTIME when{2001, 2, 0, 3, 4, 5, 6, 0};
  FILETIME created;
  ASSERT_TRUE(SystemTimeToFileTime(&when, &created));
  ASSERT_TRUE(SetFileTime(old, &created, nullptr, nullptr));
  CloseHandle(old);
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  // Wine keeps no creation time a program sets (a Unix file has none).
  const bool times_kept = CompareFileTime(&data.ftCreationTime, &created) == 0;

  ASSERT_TRUE(Replace(path, "new"));
  EXPECT_EQ(ReadFile(path), "new");
  EXPECT_EQ(GetFileAttributesW(path.c_str()) & kSet, kSet);
  ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  if (times_kept) {
    EXPECT_EQ(CompareFileTime(&data.ftCreationTime, &created), 0);
  }
  // A read-only file is refused and stays as it is.
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(Replace(path, "newer"));
  EXPECT_EQ(ReadFile(path), "new");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

#if !defined(_WIN32)
std::uint32_t ModeOf(const fs::path& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// While a large table is being written its temporary file sits beside the
// target: it must never show more than the target does.
TEST(AtomicFileTest, TemporaryFileIsNeverMoreReadableThanTheFile) {
  for (const std::uint32_t mode : {0600u, 0640u, 0644u, 0660u}) {
    TempDir dir;
    const fs::path target = dir / "table.asm";
    WriteFile(target, "old");
    ASSERT_EQ(chmod(target.c_str(), mode), 0);
    std::error_code error;
    const auto writer = AtomicFileWriter::Begin(target, &error);
    ASSERT_TRUE(writer) << error.message();
    ASSERT_EQ(writer->mode(), AtomicFileWriter::Mode::kReplace);
    ASSERT_TRUE(writer->Write("new"));
    const std::vector<std::string> names = FileNames(dir.path());
    ASSERT_EQ(names.size(), 2u);
    const fs::path temp = dir / (names[0] == "table.asm" ? names[1] : names[0]);
    EXPECT_EQ(ModeOf(temp) & ~mode, 0u) << std::oct << mode;
    ASSERT_TRUE(writer->Commit());
    EXPECT_EQ(ModeOf(target), mode) << std::oct << mode;
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"table.asm"});
  }
}

// How a target is written follows from what it is; every way keeps what
// the other names of the file hold in step.
TEST(AtomicFileTest, TheTargetDecidesHowItIsWritten) {
  TempDir dir;
  WriteFile(dir / "single", "old");
  WriteFile(dir / "linked", "old");
  fs::create_hard_link(dir / "linked", dir / "other-name");
  using Mode = AtomicFileWriter::Mode;
  const struct {
    fs::path path;
    Mode mode;
  } cases[] = {
      {dir / "single", Mode::kReplace},
      {dir / "new", Mode::kReplace},
      {dir / "linked", Mode::kInPlace},
      {"/dev/null", Mode::kDirect},
  };
  for (const auto& c : cases) {
    const auto writer = AtomicFileWriter::Begin(c.path);
    ASSERT_TRUE(writer) << c.path;
    EXPECT_EQ(writer->mode(), c.mode) << c.path;
    EXPECT_TRUE(writer->Write("new") && writer->Commit()) << c.path;
  }
  EXPECT_EQ(ReadFile(dir / "other-name"), "new");
  EXPECT_EQ(fs::hard_link_count(dir / "linked"), 2u);
  EXPECT_EQ(
      FileNames(dir.path()),
      (std::vector<std::string>{"linked", "new", "other-name", "single"}));
}
#endif

#if defined(_WIN32)
// The file's access rules (DACL) in SDDL; empty when none can be read.
std::wstring AccessRules(const fs::path& path) {
  PSECURITY_DESCRIPTOR rules = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                            DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            nullptr, nullptr, &rules) != ERROR_SUCCESS) {
    return {};
  }
  wchar_t* text = nullptr;
  ConvertSecurityDescriptorToStringSecurityDescriptorW(
      rules, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
  std::wstring sddl = text != nullptr ? text : L"";
  LocalFree(text);
  LocalFree(rules);
  return sddl;
}

// A file only some may read is never, not even while it is written, open
// to more: the temporary file has its access rules from the start.
TEST(AtomicFileTest, TemporaryFileHasTheFilesAccessRules) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  WriteFile(path, "old");
  // Its owner alone, and no rules from the folder.
  PSECURITY_DESCRIPTOR wanted = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;FA;;;OW)", SDDL_REVISION_1, &wanted, nullptr));
  ASSERT_TRUE(
      SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, wanted));
  LocalFree(wanted);
  const std::wstring rules = AccessRules(path);
  if (rules.find(L"D:P") == std::wstring::npos) {
    GTEST_SKIP() << "this file system keeps no access rules";
  }
  std::error_code error;
  const std::unique_ptr<AtomicFileWriter> writer =
      AtomicFileWriter::Begin(path, &error);
  ASSERT_TRUE(writer) << error.message();
  ASSERT_TRUE(writer->Write("new"));
  const std::vector<std::string> names = FileNames(dir.path());
  ASSERT_EQ(names.size(), 2u);
  const fs::path temp =
      dir.path() /
      PathFromBytes(names[0] == "Profile.prof" ? names[1] : names[0]);
  EXPECT_EQ(AccessRules(temp), rules);
  ASSERT_TRUE(writer->Commit());
  EXPECT_EQ(AccessRules(path), rules);
  EXPECT_EQ(ReadFile(path), "new");
}
#endif

}  // namespace
}  // namespace trulvex
