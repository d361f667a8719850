#include "core/profiles/preference_file.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <utility>

#include "core/base/atomic_file.h"
#include "core/base/cp1251.h"
#include "core/base/open_file.h"
#include "core/base/preference_value.h"
#include "core/base/regular_file.h"

namespace trulvex {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnds{"\r\n\0", 3};
constexpr std::string_view kNewLine = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasLineEnd(std::string_view text) {
  return text.find_first_of(kLineEnds) != std::string_view::npos;
}

// A key is written only when reading its line back gives the same key.
bool IsWritableKey(std::string_view key) {
  if (HasLineEnd(key) || key.find('=') != std::string_view::npos) return false;
  if (key.empty()) return true;
  return !IsBlank(key.front()) && key.front() != '[' && key.front() != ';' &&
         !IsBlank(key.back());
}

// The name of a header ends at the first "]", so a name holding one would
// come back as another group.
bool IsWritableGroupName(std::string_view name) {
  return !HasLineEnd(name) && name.find(']') == std::string_view::npos;
}

// A marked file's UTF-8 as code page 1251, cut before the first character
// the code page cannot hold; text that is not valid UTF-8 gives the empty
// text.
std::string Utf8ToStoredCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  bool cut = false;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t code_point = 0;
    const std::size_t length = DecodeUtf8Char(utf8, i, &code_point);
    if (length == 0) return {};
    // Keep validating after the cut: an invalid tail still empties it.
    const std::optional<std::uint8_t> byte = UnicodeToCp1251(code_point);
    if (!byte) cut = true;
    if (!cut) out.push_back(static_cast<char>(*byte));
    i += length;
  }
  return out;
}

}  // namespace

PreferenceFile::~PreferenceFile() { Close(); }

bool PreferenceFile::Open(const fs::path& path) {
  Close();
  error_.clear();
  const bool writable = !IsReadOnlyFile(path);
  try {
    std::string bytes;
    if (!ReadRegularFile(path, &bytes, &error_)) return false;
    Load(bytes);
  } catch (const std::bad_alloc&) {
    // A file too large for memory is a file that cannot be read.
    Reset();
    error_ = std::make_error_code(std::errc::not_enough_memory);
    return false;
  }
  path_ = path;
  has_file_ = true;
  writable_ = writable;
  return true;
}

bool PreferenceFile::OpenForUpdate(const fs::path& path) {
  Close();
  error_.clear();
  std::optional<FileLock> lock = FileLock::Acquire(path, &error_);
  if (!lock || !Open(path)) return false;
  lock_ = std::move(lock);
  return true;
}

bool PreferenceFile::Create(const fs::path& path) {
  Close();
  error_.clear();
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (fs::exists(status) &&
      (!fs::is_regular_file(status) || IsReadOnlyFile(path))) {
    return false;
  }
  const UniqueFile created(OpenFile(path, "wb"));
  if (!created) return false;
  Reset();
  open_ = true;
  path_ = path;
  has_file_ = true;
  writable_ = true;
  return true;
}

bool PreferenceFile::Close() {
  if (!open_) return true;
  const bool written = !changed_ || !has_file_ || WriteBack();
  Reset();
  return written;
}

void PreferenceFile::Parse(std::string_view bytes) {
  Close();
  Load(bytes);
}

bool PreferenceFile::WriteBack() {
  if (!writable_) {
    error_ = std::make_error_code(std::errc::permission_denied);
    return false;
  }
  const std::unique_ptr<AtomicFileWriter> writer =
      AtomicFileWriter::Begin(path_, &error_);
  if (writer == nullptr) return false;
  if (writer->Write(Serialize()) && writer->Commit()) return true;
  error_ = writer->error();
  return false;
}

void PreferenceFile::Reset() {
  // Swapped out rather than cleared so that a huge file's memory goes too.
  std::vector<Entry>().swap(entries_);
  current_ = kTopSection;
  pending_group_.reset();
  path_.clear();
  open_ = has_file_ = writable_ = changed_ = marked_ = false;
  lock_.reset();
}

void PreferenceFile::Load(std::string_view bytes) {
  Reset();
  open_ = true;
  if (bytes.substr(0, kMark.size()) == kMark) {
    marked_ = true;
    bytes.remove_prefix(kMark.size());
  }
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t start = bytes.find_first_not_of(kLineEnds, pos);
    if (start == std::string_view::npos) break;
    const std::size_t end =
        std::min(bytes.find_first_of(kLineEnds, start), bytes.size());
    std::string_view line = bytes.substr(start, end - start);
    pos = end;

    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first == line.size()) continue;
    line.remove_prefix(first);
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::size_t name_end =
          close == std::string_view::npos ? line.size() : close;
      entries_.push_back(
          {Entry::Kind::kGroup, std::string(line.substr(1, name_end - 1)), {}});
    } else if (line.front() == ';') {
      line.remove_prefix(1);
      if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
      entries_.push_back({Entry::Kind::kComment, std::string(line), {}});
    } else {
      const std::size_t equals = line.find('=');
      std::string_view value;
      if (equals != std::string_view::npos) {
        value = line.substr(equals + 1);
        while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
      }
      entries_.push_back({Entry::Kind::kKey,
                          std::string(TrimBlanks(line.substr(0, equals))),
                          std::string(value)});
    }
  }
}

std::string PreferenceFile::Serialize() const {
  std::size_t size = kMark.size() + kNewLine.size();
  for (const Entry& entry : entries_) {
    size += entry.name.size() + entry.value.size() + 5;
  }
  std::string out;
  out.reserve(size);
  if (marked_) {
    out.append(kMark).append(kNewLine);
  } else if (!entries_.empty() && entries_.front().kind == Entry::Kind::kKey &&
             entries_.front().name.starts_with(kMark)) {
    // A plain file that began with the mark would read back in marked mode.
    out.append(kNewLine);
  }
  for (const Entry& entry : entries_) {
    switch (entry.kind) {
      case Entry::Kind::kGroup:
        out.append("[").append(entry.name).append("]");
        break;
      case Entry::Kind::kComment:
        out.append("; ").append(entry.name);
        break;
      case Entry::Kind::kKey:
        out.append(entry.name).append(" = ").append(entry.value);
        break;
    }
    out.append(kNewLine);
  }
  return out;
}

std::string PreferenceFile::Encode(std::string_view text) const {
  return marked_ ? Cp1251ToUtf8(text) : std::string(text);
}

std::string PreferenceFile::Decode(std::string_view stored) const {
  return marked_ ? Utf8ToStoredCp1251(stored) : std::string(stored);
}

std::size_t PreferenceFile::GroupBegin() const {
  return current_ == kTopSection ? 0 : current_ + 1;
}

std::size_t PreferenceFile::GroupEnd() const {
  std::size_t i = GroupBegin();
  while (i < entries_.size() && entries_[i].kind != Entry::Kind::kGroup) ++i;
  return i;
}

std::size_t PreferenceFile::FindGroup(std::string_view name) const {
  // Names are compared in the file's own form: a stored name that no
  // in-memory text encodes to never matches.
  const std::string wanted = Encode(name);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].kind == Entry::Kind::kGroup &&
        NamesEqual(entries_[i].name, wanted)) {
      return i;
    }
  }
  return kTopSection;
}

std::size_t PreferenceFile::FindKey(std::string_view key) const {
  if (!open_ || pending_group_) return kTopSection;
  const std::string wanted = Encode(key);
  for (std::size_t i = GroupBegin();
       i < entries_.size() && entries_[i].kind != Entry::Kind::kGroup; ++i) {
    if (entries_[i].kind == Entry::Kind::kKey &&
        NamesEqual(entries_[i].name, wanted)) {
      return i;
    }
  }
  return kTopSection;
}

bool PreferenceFile::SelectGroup(std::string_view name) {
  if (!open_) return false;
  pending_group_.reset();
  current_ = kTopSection;
  if (name.empty()) return true;
  const std::size_t group = FindGroup(name);
  if (group == kTopSection) {
    pending_group_ = std::string(name);
    return false;
  }
  current_ = group;
  return true;
}

std::optional<std::string> PreferenceFile::ReadRaw(std::string_view key) const {
  const std::size_t i = FindKey(key);
  if (i == kTopSection) return std::nullopt;
  return Decode(entries_[i].value);
}

std::int32_t PreferenceFile::ReadInteger(std::string_view key,
                                         std::int32_t default_value) const {
  const std::optional<std::string> value = ReadRaw(key);
  return value ? ParsePreferenceInteger(*value) : default_value;
}

std::string PreferenceFile::ReadText(std::string_view key,
                                     std::string_view default_value) const {
  const std::optional<std::string> value = ReadRaw(key);
  return std::string(value ? TrimBlanks(*value) : default_value);
}

bool PreferenceFile::WriteInteger(std::string_view key, std::int32_t value) {
  return WriteValue(key, std::to_string(value));
}

bool PreferenceFile::WriteText(std::string_view key, std::string_view text) {
  return WriteValue(key, text);
}

bool PreferenceFile::WriteValue(std::string_view key, std::string_view value) {
  // The reader drops the blanks after "=", so a value starting with one
  // would come back shorter.
  if (!open_ || !IsWritableKey(key) || HasLineEnd(value) ||
      (!value.empty() && IsBlank(value.front()))) {
    return false;
  }
  if (pending_group_) {
    if (!IsWritableGroupName(*pending_group_)) return false;
    entries_.push_back({Entry::Kind::kGroup, Encode(*pending_group_), {}});
    current_ = entries_.size() - 1;
    pending_group_.reset();
  }
  const std::size_t i = FindKey(key);
  if (i != kTopSection) {
    entries_[i].name = Encode(key);
    entries_[i].value = Encode(value);
  } else {
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(GroupEnd()),
                    {Entry::Kind::kKey, Encode(key), Encode(value)});
  }
  changed_ = true;
  return true;
}

bool PreferenceFile::RemoveGroup(std::string_view name) {
  if (!open_) return false;
  const std::size_t first = FindGroup(name);
  if (first == kTopSection) return false;
  std::size_t last = first + 1;
  while (last < entries_.size() && entries_[last].kind != Entry::Kind::kGroup) {
    ++last;
  }
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(first),
                 entries_.begin() + static_cast<std::ptrdiff_t>(last));
  if (current_ != kTopSection) {
    if (current_ == first) {
      current_ = kTopSection;
    } else if (current_ > first) {
      current_ -= last - first;
    }
  }
  changed_ = true;
  return true;
}

bool PreferenceFile::ExamineGroups() {
  if (!open_) return false;
  current_ = kTopSection;
  pending_group_.reset();
  return true;
}

bool PreferenceFile::NextGroup() {
  if (!open_) return false;
  const std::size_t next = GroupEnd();
  if (next == entries_.size()) return false;
  current_ = next;
  pending_group_.reset();
  return true;
}

std::string PreferenceFile::GroupName() const {
  if (!open_ || current_ == kTopSection) return {};
  return Decode(entries_[current_].name);
}

std::vector<std::string> PreferenceFile::GroupNames() const {
  std::vector<std::string> names;
  for (const Entry& entry : entries_) {
    if (entry.kind == Entry::Kind::kGroup) names.push_back(Decode(entry.name));
  }
  return names;
}

}  // namespace trulvex
