// The writer on Windows: a temporary file beside the target, flushed to
// disk and then put in the target's place in one step: ReplaceFileW over an
// existing file, which gives the new file the old one's security,
// attributes, creation time and streams, MoveFileExW with write-through for
// a new name and where the system cannot replace in one step (the
// attributes and creation time are then carried over by hand).
#include "core/base/atomic_file.h"

#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After <windows.h>, which it needs.
#include <aclapi.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "core/base/descriptor_io.h"
#include "core/base/open_file.h"
#include "core/base/path_bytes.h"
#include "core/base/windows_error.h"
#include "core/base/write_target.h"

namespace trulvex {
namespace fs = std::filesystem;

namespace {

constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes a replacement carries over (read-only never comes here:
// such a file is refused).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// A virus scanner, the search indexer or an editor may hold the file open
// for a moment without letting it be replaced: the replacement waits.
constexpr auto kBusyWait = std::chrono::seconds(3);

HANDLE OpenExisting(const fs::path& path, DWORD access) {
  return CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
using SecurityDescriptor = std::unique_ptr<void, LocalFreer>;

// Who may do what with the old file (its DACL); null where the file system
// keeps no such rules.
SecurityDescriptor AccessRulesOf(HANDLE file) {
  PSECURITY_DESCRIPTOR rules = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                      nullptr, nullptr, nullptr, &rules) != ERROR_SUCCESS) {
    return nullptr;
  }
  return SecurityDescriptor(rules);
}

// A hidden name beside `target` that no one else uses, made with `rules`
// (when given) so that it is never open to more users than the file it
// becomes. Its error, when none could be made, is the thread's last error.
HANDLE CreateTemp(const fs::path& target, fs::path* temp, void* rules) {
  SECURITY_ATTRIBUTES security{sizeof(security), rules, FALSE};
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix = ".tmp";
    for (int i = 0; i < 6; ++i) suffix += kLetters[random() % 36];
    *temp = DirectoryOf(target) / PathFromBytes(HiddenSiblingName(
                                      PathBytes(target.filename()), suffix));
    const HANDLE handle = CreateFileW(
        temp->c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
        rules != nullptr ? &security : nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
      return handle;
    }
  }
  return INVALID_HANDLE_VALUE;
}

bool Busy(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// What ReplaceFileW says when the file system has no replace call (FAT,
// some network shares): the name is then moved instead.
bool ReplaceUnsupported(DWORD error) {
  return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
         error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED;
}

// Wine's ReplaceFileW removes the old name before the new file takes it,
// so that a reader may find no file at all; there the name is moved.
bool ReplaceKeepsTheName() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"),
                                          "wine_get_version") != nullptr;
  return !wine;
}

// Puts `temp` in place of `target`; ERROR_SUCCESS or why not. `existing`:
// the target was there when the writer began. Both are given whole and
// with backslashes: Wine's ReplaceFileW finds no folder in "name.txt".
DWORD PutInPlace(const fs::path& temp_name, const fs::path& target_name,
                 bool existing) {
  const auto whole = [](const fs::path& name) {
    std::error_code error;
    fs::path full = fs::absolute(name, error);
    if (error) full = name;
    return full.make_preferred();
  };
  const fs::path temp = whole(temp_name);
  const fs::path target = whole(target_name);
  existing = existing && ReplaceKeepsTheName();
  const auto deadline = std::chrono::steady_clock::now() + kBusyWait;
  auto pause = std::chrono::milliseconds(10);
  for (;;) {
    DWORD error = ERROR_SUCCESS;
    if (existing) {
      if (ReplaceFileW(
              target.c_str(), temp.c_str(), nullptr,
              REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
              nullptr, nullptr)) {
        return ERROR_SUCCESS;
      }
      error = GetLastError();
      // The target went meanwhile, or went and the new file could not take
      // its name: either way the name is free for a move.
      if (error == ERROR_FILE_NOT_FOUND ||
          error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
          ReplaceUnsupported(error)) {
        existing = false;
        continue;
      }
    } else if (MoveFileExW(
                   temp.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return ERROR_SUCCESS;
    } else {
      error = GetLastError();
    }
    if (!Busy(error) || std::chrono::steady_clock::now() >= deadline) {
      return error;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(200));
  }
}

}  // namespace

bool IsReadOnlyFile(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return true;
  // The file's security may refuse what the attribute allows: asked by
  // opening it for writing, which changes nothing.
  const HANDLE handle = OpenExisting(path, GENERIC_WRITE);
  if (handle == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_ACCESS_DENIED;
  }
  CloseHandle(handle);
  return false;
}

std::unique_ptr<AtomicFileWriter> AtomicFileWriter::Begin(
    const fs::path& path, std::error_code* error, const WriteOptions&) {
  std::error_code ignored;
  std::error_code& reason = error != nullptr ? *error : ignored;
  reason.clear();
  const std::optional<WriteTarget> target = FindWriteTarget(path, &reason);
  if (!target) return nullptr;
  std::unique_ptr<AtomicFileWriter> writer(new AtomicFileWriter);
  writer->target_ = target->path;
  const auto fail = [&reason](std::error_code why) {
    reason = why;
    return nullptr;
  };

  if (target->kind == WriteTarget::Kind::kDescriptor ||
      target->kind == WriteTarget::Kind::kSpecial) {
    // A device (NUL, CON) or a pipe is written as it is: never created,
    // truncated or replaced.
    writer->mode_ = Mode::kDirect;
    const HANDLE device = OpenExisting(target->path, GENERIC_WRITE);
    if (device == INVALID_HANDLE_VALUE) return fail(LastWindowsError());
    writer->file_ = StreamOfHandle(device, _O_WRONLY | _O_BINARY, "wb");
    if (writer->file_ == nullptr) return fail(LastIoError());
    return writer;
  }

  bool in_place = false;
  SecurityDescriptor rules;
  if (target->kind == WriteTarget::Kind::kRegular) {
    if (IsReadOnlyFile(target->path)) {
      return fail(std::make_error_code(std::errc::permission_denied));
    }
    const HANDLE existing = OpenExisting(target->path, GENERIC_READ);
    if (existing == INVALID_HANDLE_VALUE) return fail(LastWindowsError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(existing, &info)) {
      const std::error_code why = LastWindowsError();
      CloseHandle(existing);
      return fail(why);
    }
    writer->keep_ = true;
    writer->mode_bits_ = info.dwFileAttributes;
    writer->existing_size_ =
        std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    rules = AccessRulesOf(existing);
    writer->existing_ = DescriptorOfHandle(existing, _O_RDONLY | _O_BINARY);
    // A replacement would part a file's several names (hard links).
    in_place = info.nNumberOfLinks > 1;
  }

  if (!in_place) {
    const HANDLE temp = CreateTemp(target->path, &writer->temp_, rules.get());
    if (temp != INVALID_HANDLE_VALUE) {
      writer->cleanup_ = std::make_unique<SignalCleanup>(writer->temp_);
      writer->file_ = StreamOfHandle(temp, _O_WRONLY | _O_BINARY, "wb");
      if (writer->file_ == nullptr) return fail(LastIoError());
      return writer;
    }
    // A folder the caller may not create files in: an existing file is
    // written in place.
    const DWORD why = GetLastError();
    writer->temp_.clear();
    if (!writer->keep_ || why != ERROR_ACCESS_DENIED) {
      return fail(WindowsErrorCode(why));
    }
  }

  writer->mode_ = Mode::kInPlace;
  const HANDLE in_place_file = OpenExisting(target->path, GENERIC_WRITE);
  if (in_place_file == INVALID_HANDLE_VALUE) return fail(LastWindowsError());
  writer->in_place_ = DescriptorOfHandle(in_place_file, _O_WRONLY | _O_BINARY);
  writer->file_ = OpenTemporaryFile();
  if (writer->file_ == nullptr) return fail(LastIoError());
  return writer;
}

bool AtomicFileWriter::CommitReplace() {
  const HANDLE temp =
      reinterpret_cast<HANDLE>(_get_osfhandle(DescriptorOf(file_)));
  if (existing_ >= 0) {
    // The new file was made when the old one was (Explorer's "Created").
    FILETIME created;
    if (GetFileTime(reinterpret_cast<HANDLE>(_get_osfhandle(existing_)),
                    &created, nullptr, nullptr)) {
      SetFileTime(temp, &created, nullptr, nullptr);
    }
    // No handle of ours stands in the move's way.
    CloseDescriptor(existing_);
    existing_ = -1;
  }
  // On disk before the name moves, so that a crash never finds the new
  // name over an empty file.
  if (!SyncToDisk(DescriptorOf(file_))) return Fail();
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed) return Fail();
  if (keep_) {
    const DWORD kept = mode_bits_ & kKeptAttributes;
    SetFileAttributesW(temp_.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
  }
  const DWORD error = PutInPlace(temp_, target_, keep_);
  if (error != ERROR_SUCCESS) return Fail(WindowsErrorCode(error));
  committed_ = true;
  cleanup_.reset();
  return true;
}

}  // namespace trulvex

#endif  // _WIN32
