#include "core/shell/program_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/version.h"

namespace trulvex {
namespace {

using Args = std::vector<std::string>;

TEST(ProgramInfoTest, VersionAndHelpAreAnsweredOnlyAsTheFirstArgument) {
  EXPECT_EQ(ProgramInfoText({"--version"}),
            std::string("trulvex ") + kVersion + "\n");
  for (const char* help : {"--help", "-h"}) {
    const auto text = ProgramInfoText({help});
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->starts_with(kProgramTitle)) << *text;
    EXPECT_NE(text->find("Использование: trulvex [ФАЙЛ]"), std::string::npos);
  }
  for (const Args& args : {Args{}, Args{"text.txt"}, Args{"a", "--help"},
                           Args{"--versions"}, Args{"-help"}}) {
    EXPECT_EQ(ProgramInfoText(args), std::nullopt);
  }
}

// The windows' title carries the major and minor part of the one version.
TEST(ProgramInfoTest, TitleNamesTheProjectVersion) {
  const std::string version = kVersion;
  const std::string major_minor = version.substr(0, version.rfind('.'));
  EXPECT_EQ(std::string(kProgramTitle), "Trulvex For HD44780  v" + major_minor);
  EXPECT_EQ(version, "1.2.0");
}

}  // namespace
}  // namespace trulvex
