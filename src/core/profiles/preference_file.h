#ifndef TRULVEX_CORE_PROFILES_PREFERENCE_FILE_H_
#define TRULVEX_CORE_PROFILES_PREFERENCE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/base/file_lock.h"

namespace trulvex {

// The group-and-key text file in which the profile database and the settings
// live. The whole file is held in memory while open; nothing is written
// until Close, and then only when something changed, by replacing the file
// in one step so that a failure leaves the old file whole.
//
// Names, keys and values are code page 1251 bytes in memory. A file that
// begins with the UTF-8 byte-order mark is in marked mode: its texts are
// UTF-8 in the file, converted to and from code page 1251 as they are read
// and written; entries no one writes keep their bytes.
class PreferenceFile {
 public:
  PreferenceFile() = default;
  // Closes the file, writing it back if it changed; call Close to learn
  // whether that worked.
  ~PreferenceFile();
  PreferenceFile(const PreferenceFile&) = delete;
  PreferenceFile& operator=(const PreferenceFile&) = delete;

  // Reads and parses an existing regular file. Fails for a missing path, a
  // directory or an unreadable file. A file whose writing is refused opens
  // all the same, but its write-back will fail. Closes any file still open.
  bool Open(const std::filesystem::path& path);
  // Open for a read-change-write: takes the file's lock first (waiting up
  // to kLockWait for another writer) and holds it until Close, so that the
  // change is made to the file as it is on disk and no other writer's
  // change is lost.
  bool OpenForUpdate(const std::filesystem::path& path);
  // Creates the file, or empties an existing one at once, with no entries.
  // Fails for a directory, a read-only file or a missing permission.
  bool Create(const std::filesystem::path& path);
  // Writes the entries back when they changed and forgets them. False when
  // that write-back failed (the old file then stays as it was, and a file
  // whose writing was refused at opening is never touched); true also when
  // nothing needed writing.
  bool Close();
  // Holds the entries parsed from `bytes`, with no file behind them: Close
  // just drops them. Closes any file still open.
  void Parse(std::string_view bytes);
  // The exact bytes that write-back would put into the file.
  std::string Serialize() const;

  bool is_open() const { return open_; }
  bool is_marked() const { return marked_; }
  bool is_changed() const { return changed_; }
  // Why the last open, create or write-back failed.
  std::error_code error() const { return error_; }

  // The empty name selects the top section. A missing name gives false and
  // becomes the pending group: reads give their defaults and the first write
  // appends the group at the end of the file.
  bool SelectGroup(std::string_view name);

  // The untrimmed value of a key of the current group, or nothing when the
  // key is missing (or the selected group is pending).
  std::optional<std::string> ReadRaw(std::string_view key) const;
  std::int32_t ReadInteger(std::string_view key,
                           std::int32_t default_value) const;
  // The value without leading and trailing spaces and tabs.
  std::string ReadText(std::string_view key,
                       std::string_view default_value) const;

  // Replace the key's value in place, or add the key at the end of the
  // current group. Refused (false, nothing changed) when no file is open or
  // when the key, the text or a pending group name would not read back as
  // written, for example because it holds a line break.
  bool WriteInteger(std::string_view key, std::int32_t value);
  bool WriteText(std::string_view key, std::string_view text);

  // Removes the first group of that name with its keys and comments. False,
  // and the file stays unchanged, when there is none.
  bool RemoveGroup(std::string_view name);

  // A walk over the groups: ExamineGroups starts before the first header,
  // each NextGroup moves to the next one and makes it current.
  bool ExamineGroups();
  bool NextGroup();
  // The current group's name; empty for the top section and while the
  // selected group is pending.
  std::string GroupName() const;
  // Every group name in file order, duplicates and empty names included.
  std::vector<std::string> GroupNames() const;

 private:
  struct Entry {
    enum class Kind { kGroup, kComment, kKey };
    Kind kind;
    // Group name, comment text or key, as the file holds it.
    std::string name;
    std::string value;  // keys only
  };
  static constexpr std::size_t kTopSection = static_cast<std::size_t>(-1);

  void Reset();
  void Load(std::string_view bytes);
  bool WriteBack();
  // Converts between in-memory bytes and the form the file holds them in.
  std::string Encode(std::string_view text) const;
  std::string Decode(std::string_view stored) const;
  // The entry range of the current group's keys: [first, last).
  std::size_t GroupBegin() const;
  std::size_t GroupEnd() const;
  std::size_t FindGroup(std::string_view name) const;
  std::size_t FindKey(std::string_view key) const;
  bool WriteValue(std::string_view key, std::string_view value);

  std::vector<Entry> entries_;
  std::size_t current_ = kTopSection;
  std::optional<std::string> pending_group_;
  std::filesystem::path path_;
  bool open_ = false;
  bool has_file_ = false;
  bool writable_ = false;
  bool changed_ = false;
  bool marked_ = false;
  std::optional<FileLock> lock_;
  std::error_code error_;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_PROFILES_PREFERENCE_FILE_H_
