#include "core/base/data_directory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
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

// Asking for permission bits says nothing for root or on network drives:
// only creating a file tells whether files can be created.
bool CanCreateFiles(const fs::path& directory) {
  std::error_code error;
  if (directory.empty() || !fs::is_directory(directory, error)) return false;
  std::random_device seed;
  const fs::path probe =
      directory / (".trulvex-write-test-" + std::to_string(seed()));
  std::FILE* file = std::fopen(probe.string().c_str(), "wbx");
  if (file == nullptr) return false;
  std::fclose(file);
  fs::remove(probe, error);
  return true;
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
  const std::string config = Environment("XDG_CONFIG_HOME");
  if (!config.empty()) return fs::path(config) / "trulvex";
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

fs::path ResolveDataDirectory(const fs::path& executable_directory) {
  const std::string configured = Environment("TRULVEX_DATA_DIR");
  if (!configured.empty()) return fs::path(configured);
  if (CanCreateFiles(executable_directory)) return executable_directory;
  const fs::path user = UserConfigDirectory();
  std::error_code error;
  if (!user.empty()) fs::create_directories(user, error);
  return user;
}

fs::path DataDirectory() { return ResolveDataDirectory(ExecutableDirectory()); }

}  // namespace trulvex
