#ifndef TRULVEX_CORE_BASE_DATA_DIRECTORY_H_
#define TRULVEX_CORE_BASE_DATA_DIRECTORY_H_

#include <filesystem>

namespace trulvex {

inline constexpr char kProfileDatabaseName[] = "Profile.prof";
inline constexpr char kSettingsFileName[] = "Preferences.ini";

// The directory of the running executable, or empty when it is unknown.
std::filesystem::path ExecutableDirectory();

// Where the program keeps its profile database and settings:
// TRULVEX_DATA_DIR when set; else `executable_directory` when files can be
// created there (a portable install); else the per-user configuration
// directory, created when missing.
std::filesystem::path ResolveDataDirectory(
    const std::filesystem::path& executable_directory);

// The same for the running executable.
std::filesystem::path DataDirectory();

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_DATA_DIRECTORY_H_
