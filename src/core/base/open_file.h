#ifndef TRULVEX_CORE_BASE_OPEN_FILE_H_
#define TRULVEX_CORE_BASE_OPEN_FILE_H_

#include <cstdio>
#include <filesystem>
#include <memory>

namespace trulvex {

// std::fopen for a path in its own form, with `mode` as for std::fopen
// ("r", "w", "a", each with "+", "b" and "x"). On Windows the UTF-16 name
// is opened as it is, so that a name outside the ANSI code page opens; the
// file is always binary, and others may read, write, rename or delete it
// while it is open, as on POSIX, so that an open reader never blocks a
// replacement. On failure errno says why (EEXIST for an "x" that found a
// file).
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// A nameless scratch file for reading and writing that is gone once
// closed, as std::tmpfile. Windows' C runtime makes that one in the root of
// drive C:, where a user may not create files: there it is made in the
// user's temporary folder and deleted on close by the system.
std::FILE* OpenTemporaryFile();

#if defined(_WIN32)
// A Win32 file handle as a C runtime descriptor (_open_osfhandle `flags`)
// or stream (`mode`), which then owns it; on failure the handle is closed
// and -1 or null returned.
int DescriptorOfHandle(void* handle, int flags);
std::FILE* StreamOfHandle(void* handle, int flags, const char* mode);
#endif

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_OPEN_FILE_H_
