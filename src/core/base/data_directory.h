#ifndef TRULVEX_CORE_BASE_DATA_DIRECTORY_H_
#define TRULVEX_CORE_BASE_DATA_DIRECTORY_H_

#include <filesystem>

namespace trulvex {

inline constexpr char kProfileDatabaseName[] = "Profile.prof";
inline constexpr char kSettingsFileName[] = "Preferences.ini";
// A file of this name beside the executable keeps the data there.
inline constexpr char kPortableMarkerName[] = "portable";

// The directory of the running executable, or empty when it is unknown.
std::filesystem::path ExecutableDirectory();

// A portable install keeps its data beside the executable: a Profile.prof
// or a file named "portable" already stands there.
bool IsPortableInstall(const std::filesystem::path& executable_directory);

// Where the program keeps its profile database and settings:
// TRULVEX_DATA_DIR when set; else `executable_directory` when it is a
// portable install; else the per-user configuration directory
// ($XDG_CONFIG_HOME/trulvex or ~/.config/trulvex). Creates nothing: a
// program that only reads leaves no trace.
std::filesystem::path ResolveDataDirectory(
    const std::filesystem::path& executable_directory);

// Makes the data directory before the first file is written into it.
bool EnsureDataDirectory(const std::filesystem::path& directory);

// The same for the running executable.
std::filesystem::path DataDirectory();

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_DATA_DIRECTORY_H_
