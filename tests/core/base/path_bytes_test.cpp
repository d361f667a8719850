#include "core/base/path_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

TEST(PathBytesTest, AFileFoundByItsBytesOpensAgain) {
  testing::TempDir dir;
  std::vector<std::string> names = {"Привет Ωμέγα.txt"};
#if !defined(_WIN32)
  // "Привет.txt" in code page 1251: not UTF-8, yet a valid name here (not
  // on Windows, whose names are UTF-16).
  names.push_back("\xCF\xF0\xE8\xE2\xE5\xF2.txt");
#endif
  for (const std::string& name : names) {
    const std::filesystem::path path = dir.path() / PathFromBytes(name);
    testing::WriteFile(path, "x");
    const std::string bytes = PathBytes(path);
    EXPECT_TRUE(bytes.ends_with(name));
    EXPECT_EQ(testing::ReadFile(PathFromBytes(bytes)), "x");
  }
}

TEST(PathBytesTest, MessagesShowBytesThatAreNotUtf8AsReplacements) {
  EXPECT_EQ(DisplayPath("/tmp/Ёж.txt"), "/tmp/Ёж.txt");
  EXPECT_EQ(DisplayPath("/tmp/\xC5\xE6.txt"), "/tmp/\uFFFD\uFFFD.txt");
  EXPECT_EQ(DisplayPath("\xE2\x82"), "\uFFFD\uFFFD");
}

}  // namespace
}  // namespace trulvex
