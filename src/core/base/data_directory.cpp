#include "core/base/data_directory.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>

#include "core/base/wide_text.h"

#if defined(_WIN32)
// clang-format off
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace trulvex {
namespace fs = std::filesystem;

namespace {

// A directory named by the environment; empty when the variable is unset.
// Windows keeps the environment in UTF-16, whose names the ANSI copy
// loses.
fs::path EnvironmentPath(const char* name) {
#if defined(_WIN32)
  const wchar_t* value = _wgetenv(Utf8ToWide(name).c_str());
  return value != nullptr ? fs::path(value) : fs::path();
#else
  const char* value = std::getenv(name);
  return value != nullptr ? fs::path(value) : fs::path();
#endif
}

fs::path UserConfigDirectory() {
#if defined(_WIN32)
  // The roaming application data folder (%APPDATA%), asked of the shell
  // first: the variable may be missing, say in a service's environment.
  fs::path base;
  wchar_t* known = nullptr;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr,
                           &known) == S_OK) {
    base = known;
  }
  CoTaskMemFree(known);
  if (base.empty()) base = EnvironmentPath("APPDATA");
  return base.empty() ? fs::path() : base / "Trulvex";
#elif defined(__APPLE__)
  const fs::path home = EnvironmentPath("HOME");
  return home.empty() ? fs::path()
                      : home / "Library" / "Preferences" / "trulvex";
#else
  // A relative XDG_CONFIG_HOME is invalid and is ignored.
  const fs::path config = EnvironmentPath("XDG_CONFIG_HOME");
  if (!config.empty() && config.is_absolute()) return config / "trulvex";
  const fs::path home = EnvironmentPath("HOME");
  return home.empty() ? fs::path() : home / ".config" / "trulvex";
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
  const fs::path configured = EnvironmentPath("TRULVEX_DATA_DIR");
  if (!configured.empty()) return configured;
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
