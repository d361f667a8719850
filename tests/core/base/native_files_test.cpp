// Names outside every 8-bit code page, opened, listed and found through
// the environment: on Windows each goes through the system's UTF-16 form.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "core/base/data_directory.h"
#include "core/base/open_file.h"
#include "core/base/path_bytes.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::EnvironmentValue;
using testing::FileNames;
using testing::ReadFile;
using testing::SetEnvironment;
using testing::TempDir;
using testing::WriteFile;

// Cyrillic, Greek and a character beyond the 16-bit range together.
constexpr char kName[] = "Привет Ωμέγα 😀.txt";

TEST(NativeFilesTest, Utf8NamesOpenAndListAsThemselves) {
  TempDir dir;
  const fs::path path = dir.path() / PathFromBytes(kName);
  EXPECT_EQ(PathBytes(path.filename()), kName);
  const UniqueFile file(OpenFile(path, "wb"));
  ASSERT_TRUE(file);
  // Bytes stay bytes: no CR LF translation, no end at Ctrl+Z.
  const std::string bytes = "a\nb\r\n\x1A\r\r\nc";
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file.get()),
            bytes.size());
  ASSERT_EQ(std::fflush(file.get()), 0);
  EXPECT_EQ(FileNames(dir.path()),
            std::vector<std::string>{PathBytes(path.filename())});
  EXPECT_EQ(ReadFile(path), bytes);
}

TEST(NativeFilesTest, OpenModesAndTheirFailures) {
  TempDir dir;
  const fs::path path = dir.path() / PathFromBytes(kName);
  WriteFile(path, "old");
  const struct {
    const char* mode;
    bool opens;
    std::string after;  // the file's bytes after writing "new" and closing
    int error = 0;
  } cases[] = {
      {"rb", true, "old"},           {"r+b", true, "new"},
      {"ab", true, "oldnew"},        {"wb", true, "new"},
      {"wbx", false, "old", EEXIST},
  };
  for (const auto& c : cases) {
    WriteFile(path, "old");
    errno = 0;
    std::FILE* file = OpenFile(path, c.mode);
    EXPECT_EQ(file != nullptr, c.opens) << c.mode;
    if (file != nullptr) {
      std::fwrite("new", 1, 3, file);
      std::fclose(file);
    } else {
      EXPECT_EQ(errno, c.error) << c.mode;
    }
    EXPECT_EQ(ReadFile(path), c.after) << c.mode;
  }
  errno = 0;
  EXPECT_EQ(OpenFile(dir / "none" / "file", "rb"), nullptr);
  EXPECT_EQ(errno, ENOENT);
  const UniqueFile created(OpenFile(dir / "new", "wbx"));
  EXPECT_TRUE(created);
}

// A reader does not pin the file's name, as on POSIX: Windows refuses to
// rename or delete a file opened without delete sharing.
TEST(NativeFilesTest, AnOpenFileCanBeRenamedAndRemoved) {
  TempDir dir;
  const fs::path path = dir.path() / PathFromBytes(kName);
  WriteFile(path, "old");
  const UniqueFile reader(OpenFile(path, "rb"));
  ASSERT_TRUE(reader);
  std::error_code error;
  fs::rename(path, dir / "moved", error);
  EXPECT_FALSE(error) << error.message();
  char read[3] = {};
  EXPECT_EQ(std::fread(read, 1, 3, reader.get()), 3u);
  EXPECT_EQ(std::string(read, 3), "old");
  EXPECT_TRUE(fs::remove(dir / "moved", error)) << error.message();
}

TEST(NativeFilesTest, DataDirectoryFromTheEnvironmentKeepsItsName) {
  const fs::path saved = EnvironmentValue("TRULVEX_DATA_DIR");
  TempDir dir;
  const fs::path data = dir.path() / PathFromBytes("Данные Ωμέγα");
  SetEnvironment("TRULVEX_DATA_DIR", data);
  EXPECT_EQ(ResolveDataDirectory(dir.path()), data);
  SetEnvironment("TRULVEX_DATA_DIR", saved);
}

}  // namespace
}  // namespace trulvex
