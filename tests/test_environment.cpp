// Every test run gets an empty data directory of its own, so that a profile
// database or settings file beside the test program never leaks into a test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "test_support.h"

namespace trulvex::testing {
namespace {

class DataDirectoryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    SetEnvironment("TRULVEX_DATA_DIR", dir_->path());
  }
  void TearDown() override { dir_.reset(); }

 private:
  std::unique_ptr<TempDir> dir_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new DataDirectoryEnvironment);

}  // namespace
}  // namespace trulvex::testing
