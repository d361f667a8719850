#ifndef TRULVEX_CORE_BASE_WRITE_TARGET_H_
#define TRULVEX_CORE_BASE_WRITE_TARGET_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace trulvex {

// Where a write to a path lands, found the way shell redirection finds it:
// symbolic links are followed (a dangling one names the file to create),
// except where the kernel's protected-symlink rule would refuse to.
struct WriteTarget {
  enum class Kind {
    kNew,         // nothing there yet; a dangling link's target included
    kRegular,     // an existing regular file
    kDescriptor,  // an open descriptor of this process: /dev/stdout, /dev/fd/N
    kSpecial,     // a device, FIFO or socket
  };
  Kind kind = Kind::kNew;
  // The file itself, after every link.
  std::filesystem::path path;
  int descriptor = -1;  // kDescriptor only
};

// Follows `path` to the file a write would reach. Fails with
// too_many_symbolic_link_levels for a loop, is_a_directory for a
// directory and FileErrc::kProtectedSymlink for a link that another user
// planted in a shared sticky directory.
std::optional<WriteTarget> FindWriteTarget(const std::filesystem::path& path,
                                           std::error_code* error);

// The kernel's rule for following a link (fs.protected_symlinks): inside a
// sticky world-writable directory only a link owned by the follower or by
// the directory's owner is followed. Applied whatever the system's setting.
bool ProtectedSymlinkRefuses(std::uint32_t link_owner, std::uint32_t dir_owner,
                             std::uint32_t dir_mode, std::uint32_t follower);

// The descriptor a path names without opening anything new: /dev/stdin,
// /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N (also under this
// process's own number).
std::optional<int> NamedDescriptor(const std::filesystem::path& path);

// The directory a file named `path` is in ("." for a bare name).
std::filesystem::path DirectoryOf(const std::filesystem::path& path);

// A hidden name for a helper file beside `name` (".name" + suffix) that
// stays within the 255 bytes a file name may have: a long name is cut,
// never in the middle of a UTF-8 character.
std::string HiddenSiblingName(std::string_view name, std::string_view suffix);

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_WRITE_TARGET_H_
