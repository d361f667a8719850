#ifndef TRULVEX_CORE_SHELL_RECENT_FILES_H_
#define TRULVEX_CORE_SHELL_RECENT_FILES_H_

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace trulvex {

// True when the settings file can keep `path` (UTF-8) and give the very same
// path back: every character fits code page 1251, and no line break or
// leading or trailing blank is there for the file format to drop.
bool IsStorableRecentPath(std::string_view path);

// The ten most recently read or written files, newest first. Entries are
// paths as the system names them (PathBytes) or empty; entry numbers run
// from 1 to 10.
class RecentFiles {
 public:
  static constexpr int kCount = 10;
  using Entries = std::array<std::string, kCount>;

  // The menus are built with the short form; every change of the list
  // relabels them all with the long one.
  enum class LabelForm { kStartUp, kUpdated };

  RecentFiles() = default;
  // The entries as the settings file held them, empty ones in place.
  explicit RecentFiles(Entries entries) : entries_(std::move(entries)) {}

  // Moves `path` to entry 1: from its place when an entry equals it byte for
  // byte, otherwise pushing every entry down and dropping entry 10. A path
  // that IsStorableRecentPath refuses is recorded for this run only: the
  // settings file keeps it empty, so that the next run never offers a
  // different file in its place. The empty path is not recorded; the result
  // is then false and the list and labels stay as they were.
  bool Record(std::string_view path);

  // Entry n, or the empty text for a number outside 1 to 10.
  const std::string& Entry(int n) const;
  const Entries& entries() const { return entries_; }

  // True once Record has changed the labels.
  bool relabelled() const { return relabelled_; }
  // The label of item n in both menus, in the form the menus show now.
  std::string Label(int n) const;
  // "n)" followed by two blanks (start-up) or four (updated), then the path.
  static std::string Label(int n, std::string_view path, LabelForm form);

 private:
  Entries entries_;
  bool relabelled_ = false;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_SHELL_RECENT_FILES_H_
