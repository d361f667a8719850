#include "core/shell/recent_files.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "core/base/cp1251.h"

namespace trulvex {

bool IsStorableRecentPath(std::string_view path) {
  if (path.empty()) return false;
  // The file format ends lines there and trims blanks around values.
  if (path.find_first_of(std::string_view("\r\n\0", 3)) !=
      std::string_view::npos) {
    return false;
  }
  constexpr std::string_view kBlanks = " \t";
  if (kBlanks.find(path.front()) != std::string_view::npos ||
      kBlanks.find(path.back()) != std::string_view::npos) {
    return false;
  }
  std::size_t unmappable = 0;
  Utf8ToCp1251(std::string(path), &unmappable);
  return unmappable == 0;
}

bool RecentFiles::Record(std::string_view path) {
  if (path.empty()) return false;
  // Copied first: `path` may view one of the entries about to move.
  std::string newest(path);
  const auto found = std::find(entries_.begin(), entries_.end(), newest);
  // Entries after a found path keep their places; without one the last
  // entry falls off.
  const auto end = found == entries_.end() ? entries_.end() - 1 : found;
  std::move_backward(entries_.begin(), end, end + 1);
  entries_.front() = std::move(newest);
  relabelled_ = true;
  return true;
}

const std::string& RecentFiles::Entry(int n) const {
  static const std::string kNone;
  return n >= 1 && n <= kCount ? entries_[static_cast<std::size_t>(n - 1)]
                               : kNone;
}

std::string RecentFiles::Label(int n) const {
  return Label(n, Entry(n),
               relabelled_ ? LabelForm::kUpdated : LabelForm::kStartUp);
}

std::string RecentFiles::Label(int n, std::string_view path, LabelForm form) {
  std::string label = std::to_string(n);
  label += form == LabelForm::kStartUp ? ")  " : ")    ";
  label += path;
  return label;
}

}  // namespace trulvex
