#include "core/base/write_target.h"

#include <cerrno>
#include <charconv>
#include <cwctype>

#include "core/base/file_error.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace trulvex {
namespace fs = std::filesystem;

namespace {

// The kernel gives up after as many links.
constexpr int kMaxLinks = 40;
constexpr std::size_t kMaxNameBytes = 255;

std::optional<int> ParseDescriptor(std::string_view digits) {
  int value = -1;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size() ||
      digits.empty() || value < 0) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

bool ProtectedSymlinkRefuses(std::uint32_t link_owner, std::uint32_t dir_owner,
                             std::uint32_t dir_mode, std::uint32_t follower) {
  constexpr std::uint32_t kSticky = 01000;
  constexpr std::uint32_t kOthersWrite = 0002;
  const bool shared =
      (dir_mode & kSticky) != 0 && (dir_mode & kOthersWrite) != 0;
  return shared && link_owner != follower && link_owner != dir_owner;
}

std::optional<int> NamedDescriptor(const fs::path& path) {
  const std::string text = path.lexically_normal().generic_string();
  if (text == "/dev/stdin") return 0;
  if (text == "/dev/stdout") return 1;
  if (text == "/dev/stderr") return 2;
  if (text.starts_with("/dev/fd/")) return ParseDescriptor(text.substr(8));
#if !defined(_WIN32)
  for (const std::string& process :
       {std::string("self"), std::string("thread-self"),
        std::to_string(getpid())}) {
    const std::string prefix = "/proc/" + process + "/fd/";
    if (text.starts_with(prefix)) {
      return ParseDescriptor(std::string_view(text).substr(prefix.size()));
    }
  }
#endif
  return std::nullopt;
}

fs::path DirectoryOf(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

std::string HiddenSiblingName(std::string_view name, std::string_view suffix) {
  const std::size_t room = kMaxNameBytes - 1 - suffix.size();
  std::size_t keep = std::min(name.size(), room);
  // Back to the start of a character: a continuation byte is 10xxxxxx.
  while (keep > 0 && keep < name.size() &&
         (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
    --keep;
  }
  std::string hidden = ".";
  hidden.append(name.substr(0, keep)).append(suffix);
  return hidden;
}

#if !defined(_WIN32)

std::optional<WriteTarget> FindWriteTarget(const fs::path& path,
                                           std::error_code* error) {
  fs::path at = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    if (const std::optional<int> descriptor = NamedDescriptor(at)) {
      return WriteTarget{WriteTarget::Kind::kDescriptor, at, *descriptor};
    }
    struct stat link;
    if (lstat(at.c_str(), &link) != 0) {
      if (errno == ENOENT) return WriteTarget{WriteTarget::Kind::kNew, at};
      *error = {errno, std::generic_category()};
      return std::nullopt;
    }
    if (S_ISDIR(link.st_mode)) {
      *error = std::make_error_code(std::errc::is_a_directory);
      return std::nullopt;
    }
    if (S_ISREG(link.st_mode)) {
      return WriteTarget{WriteTarget::Kind::kRegular, at};
    }
    if (!S_ISLNK(link.st_mode)) {
      return WriteTarget{WriteTarget::Kind::kSpecial, at};
    }
    const fs::path directory =
        at.has_parent_path() ? at.parent_path() : fs::path(".");
    struct stat dir;
    if (stat(directory.c_str(), &dir) != 0) {
      *error = {errno, std::generic_category()};
      return std::nullopt;
    }
    if (ProtectedSymlinkRefuses(link.st_uid, dir.st_uid, dir.st_mode,
                                geteuid())) {
      *error = make_error_code(FileErrc::kProtectedSymlink);
      return std::nullopt;
    }
    std::error_code read_error;
    const fs::path next = fs::read_symlink(at, read_error);
    if (read_error) {
      *error = read_error;
      return std::nullopt;
    }
    at = next.is_absolute() || !at.has_parent_path() ? next
                                                     : at.parent_path() / next;
  }
  *error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return std::nullopt;
}

#else

namespace {

// A name Windows gives to a device in every folder, whatever follows a
// dot ("nul.txt" is NUL too), or one in the device namespace (\\.\).
bool IsDeviceName(const fs::path& path) {
  const std::wstring& text = path.native();
  if (text.starts_with(LR"(\\.\)") || text.starts_with(LR"(//./)")) {
    return true;
  }
  std::wstring stem = path.filename().native();
  stem = stem.substr(0, stem.find(L'.'));
  while (!stem.empty() && (stem.back() == L' ' || stem.back() == L':')) {
    stem.pop_back();
  }
  for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" ||
      stem == L"CONIN$" || stem == L"CONOUT$") {
    return true;
  }
  return stem.size() == 4 &&
         (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) &&
         stem[3] >= L'1' && stem[3] <= L'9';
}

}  // namespace

// As on POSIX, without the sticky-directory rule: Windows has no such
// directories.
std::optional<WriteTarget> FindWriteTarget(const fs::path& path,
                                           std::error_code* error) {
  fs::path at = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    if (IsDeviceName(at)) return WriteTarget{WriteTarget::Kind::kSpecial, at};
    std::error_code status_error;
    const fs::file_status link = fs::symlink_status(at, status_error);
    if (!fs::exists(link)) {
      if (status_error &&
          status_error != std::errc::no_such_file_or_directory) {
        *error = status_error;
        return std::nullopt;
      }
      return WriteTarget{WriteTarget::Kind::kNew, at};
    }
    if (fs::is_directory(link)) {
      *error = std::make_error_code(std::errc::is_a_directory);
      return std::nullopt;
    }
    if (fs::is_regular_file(link)) {
      return WriteTarget{WriteTarget::Kind::kRegular, at};
    }
    if (!fs::is_symlink(link)) {
      return WriteTarget{WriteTarget::Kind::kSpecial, at};
    }
    const fs::path next = fs::read_symlink(at, *error);
    if (*error) return std::nullopt;
    at = next.is_absolute() ? next : DirectoryOf(at) / next;
  }
  *error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return std::nullopt;
}

#endif

}  // namespace trulvex
