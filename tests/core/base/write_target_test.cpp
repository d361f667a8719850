#include "core/base/write_target.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>

#include "core/base/file_error.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace testing;

TEST(WriteTargetTest, ProtectedSymlinkRuleIsTheKernels) {
  constexpr std::uint32_t kShared = 01777, kPlain = 0777, kSticky = 01755;
  const struct {
    std::uint32_t link_owner, dir_owner, dir_mode, follower;
    bool refused;
  } cases[] = {
      {1000, 0, kShared, 1001, true},   // another user's link in /tmp
      {1000, 0, kShared, 0, true},      // root is protected too
      {1000, 0, kShared, 1000, false},  // the follower's own link
      {0, 0, kShared, 1000, false},     // the directory owner's link
      {1000, 1000, kShared, 1001, false},
      {1000, 0, kPlain, 1001, false},   // not sticky
      {1000, 0, kSticky, 1001, false},  // not world-writable
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProtectedSymlinkRefuses(c.link_owner, c.dir_owner, c.dir_mode,
                                      c.follower),
              c.refused)
        << c.link_owner << " " << c.dir_mode << " " << c.follower;
  }
}

TEST(WriteTargetTest, StandardStreamsAreDescriptors) {
#if defined(_WIN32)
  GTEST_SKIP() << "/dev/fd and /proc name descriptors on POSIX systems only";
#else
  const std::string own = "/proc/" + std::to_string(getpid()) + "/fd/7";
  const struct {
    std::string path;
    std::optional<int> descriptor;
  } cases[] = {
      {"/dev/stdout", 1},   {"/dev/stderr", 2},       {"/dev/fd/5", 5},
      {"/dev/./stdout", 1}, {"/proc/self/fd/12", 12}, {own, 7},
      {"/dev/fd/x", {}},    {"/dev/null", {}},        {"stdout", {}},
      {"/proc/1/fd/1", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NamedDescriptor(c.path), c.descriptor) << c.path;
  }
#endif
}

// Windows gives a device's name to every folder, whatever extension
// follows: such a name is written directly, never replaced.
TEST(WriteTargetTest, WindowsDeviceNamesAreWrittenDirectly) {
#if !defined(_WIN32)
  GTEST_SKIP() << "device names in every folder are Windows' own";
#else
  TempDir dir;
  const struct {
    fs::path path;
    WriteTarget::Kind kind;
  } cases[] = {
      {"NUL", WriteTarget::Kind::kSpecial},
      {dir / "nul.txt", WriteTarget::Kind::kSpecial},
      {dir / "Con", WriteTarget::Kind::kSpecial},
      {"COM1", WriteTarget::Kind::kSpecial},
      {"lpt9.asm", WriteTarget::Kind::kSpecial},
      {R"(\\.\pipe\trulvex)", WriteTarget::Kind::kSpecial},
      {dir / "NULL", WriteTarget::Kind::kNew},
      {dir / "COM0", WriteTarget::Kind::kNew},
      {dir / "console.txt", WriteTarget::Kind::kNew},
  };
  for (const auto& c : cases) {
    std::error_code error;
    const std::optional<WriteTarget> target = FindWriteTarget(c.path, &error);
    ASSERT_TRUE(target) << PathBytes(c.path);
    EXPECT_EQ(target->kind, c.kind) << PathBytes(c.path);
  }
#endif
}

TEST(WriteTargetTest, HelperNamesFitAnyLegalName) {
  const std::string cyrillic(254, 'a');  // odd: the cut falls inside "ж"
  for (const std::string& name :
       {std::string("t.asm"), std::string(255, 'x'), cyrillic + "жж"}) {
    const std::string hidden = HiddenSiblingName(name, ".tmpabcdef");
    EXPECT_LE(hidden.size(), 255u);
    EXPECT_TRUE(hidden.ends_with(".tmpabcdef"));
    EXPECT_TRUE(IsValidUtf8(hidden)) << name.size();
  }
  EXPECT_EQ(HiddenSiblingName("t.asm", ".lock"), ".t.asm.lock");
}

TEST(WriteTargetTest, LinksAreFollowedAsRedirectionFollowsThem) {
  if (!SymlinksAvailable()) GTEST_SKIP() << kNoSymlinks;
  TempDir dir;
  WriteFile(dir / "notes.txt", "n");
  fs::create_symlink("notes.txt", dir / "link");
  fs::create_symlink(dir / "link", dir / "chain");
  fs::create_symlink("missing/../made.txt", dir / "dangling");
  fs::create_symlink("loop2", dir / "loop1");
  fs::create_symlink("loop1", dir / "loop2");
#if !defined(_WIN32)
  fs::create_symlink("/dev/stdout", dir / "out");
#endif
  fs::create_directory(dir / "sub");
  std::error_code error;
  const auto kind = [&](const char* name) {
    error.clear();
    const auto target = FindWriteTarget(dir / name, &error);
    return target ? target->kind : WriteTarget::Kind{-1};
  };
  EXPECT_EQ(kind("chain"), WriteTarget::Kind::kRegular);
  EXPECT_EQ(FindWriteTarget(dir / "chain", &error)->path, dir / "notes.txt");
  EXPECT_EQ(kind("dangling"), WriteTarget::Kind::kNew);
  EXPECT_EQ(FindWriteTarget(dir / "dangling", &error)->path,
            dir / "missing/../made.txt");
#if !defined(_WIN32)
  EXPECT_EQ(kind("out"), WriteTarget::Kind::kDescriptor);
#endif
  EXPECT_EQ(kind("loop1"), WriteTarget::Kind{-1});
  EXPECT_EQ(error, std::errc::too_many_symbolic_link_levels);
  EXPECT_EQ(kind("sub"), WriteTarget::Kind{-1});
  EXPECT_EQ(error, std::errc::is_a_directory);
#if !defined(_WIN32)
  EXPECT_EQ(FindWriteTarget("/dev/null", &error)->kind,
            WriteTarget::Kind::kSpecial);
#endif
}

// As root the rule still holds: root follows no stranger's link in a
// shared sticky directory.
TEST(WriteTargetTest, StrangersLinkInStickyDirectoryIsRefused) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows has no sticky world-writable directories";
#else
  if (geteuid() != 0) GTEST_SKIP() << "planting another user's link needs root";
  TempDir dir;
  const fs::path shared = dir / "shared";
  fs::create_directory(shared);
  fs::permissions(shared, static_cast<fs::perms>(01777));
  WriteFile(dir / "victim.txt", "mine");
  fs::create_symlink(dir / "victim.txt", shared / "table.asm");
  ASSERT_EQ(lchown((shared / "table.asm").c_str(), 65534, 65534), 0);
  std::error_code error;
  EXPECT_FALSE(FindWriteTarget(shared / "table.asm", &error));
  EXPECT_EQ(error, FileErrc::kProtectedSymlink);
  // The same link owned by the follower is followed.
  ASSERT_EQ(lchown((shared / "table.asm").c_str(), 0, 0), 0);
  EXPECT_TRUE(FindWriteTarget(shared / "table.asm", &error));
#endif
}

}  // namespace
}  // namespace trulvex
