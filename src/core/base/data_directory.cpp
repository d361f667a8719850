#include "core/base/data_directory.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace trulvex {
namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

fs::path UserConfigDirectory() {
#if defined(_WIN32)
  const std::string base = Environment("APPDATA");
  return base.empty() ? fs::path() : fs::path(base) / "trulvex";
#elif defined(__APPLE__)
  const std::string home = Environment("HOME");
  return home.empty() ? fs::path()
                      : fs::path(home) / "Library" / "Preferences" / "trulvex";
#else
  // A relative XDG_CONFIG_HOME is invalid and is ignored.
  const std::string config = Environment("XDG_CONFIG_HOME");
  if (!config.empty() && fs::path(config).is_absolute()) {
    return fs::path(config) / "trulvex";
  }
  const std::string home = Environment("HOME");
  return home.empty() ? fs::path() : fs::path(home) / ".config" / "trulvex";
#endif
}

}  // namespace

fs::path ExecutableDirectory() {
  std::error_code error;
#if defined(_WIN32)
  wchar_t buffer[32768];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
  if (length == 0 || length >= 32768) return {};
  return fs::path(std::wstring(buffer, length)).parent_path();
#elif defined(__APPLE__)
  char buffer[4096];
  std::uint32_t size = sizeof(buffer);
  if (_NSGetExecutablePath(buffer, &size) != 0) return {};
  return fs::weakly_canonical(buffer, error).parent_path();
#else
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : self.parent_path();
#endif
}

bool IsPortableInstall(const fs::path& executable_directory) {
  if (executable_directory.empty()) return false;
  std::error_code error;
  return fs::exists(executable_directory / kProfileDatabaseName, error) ||
         fs::exists(executable_directory / kPortableMarkerName, error);
}

fs::path ResolveDataDirectory(const fs::path& executable_directory) {
  const std::string configured = Environment("TRULVEX_DATA_DIR");
  if (!configured.empty()) return fs::path(configured);
  if (IsPortableInstall(executable_directory)) return executable_directory;
  return UserConfigDirectory();
}

bool EnsureDataDirectory(const fs::path& directory) {
  if (directory.empty()) return false;
  std::error_code error;
  fs::create_directories(directory, error);
  return fs::is_directory(directory, error);
}

fs::path DataDirectory() { return ResolveDataDirectory(ExecutableDirectory()); }

}  // namespace trulvex
