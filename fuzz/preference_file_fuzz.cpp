// Parses any bytes as a preference file, writes them back and reads the
// result again: every group, key and value must come back the same, and a
// write the file accepts must read back as written.
#include <string>
#include <vector>

#include "core/profiles/preference_file.h"
#include "fuzz/fuzz_support.h"

namespace {

using trulvex::PreferenceFile;

// The key of every key line of a written file, group by group (the top
// section first). Write-back puts each key before " = ".
std::vector<std::vector<std::string>> KeysByGroup(const std::string& bytes) {
  std::vector<std::vector<std::string>> groups(1);
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", pos);
    const std::string line = bytes.substr(pos, end - pos);
    pos = end == std::string::npos ? bytes.size() : end + 2;
    // The mark line of a marked file, or the blank line that keeps a plain
    // file from reading as marked.
    if (line.empty() || line == "\xEF\xBB\xBF") continue;
    if (line.starts_with("[")) {
      groups.emplace_back();
    } else if (!line.starts_with("; ")) {
      const std::size_t equals = line.find(" = ");
      groups.back().push_back(line.substr(0, equals));
    }
  }
  return groups;
}

// Walks both files group by group and compares what each key reads.
void ExpectSameContent(PreferenceFile& a, PreferenceFile& b,
                       const std::vector<std::vector<std::string>>& keys) {
  FUZZ_CHECK(a.GroupNames() == b.GroupNames());
  FUZZ_CHECK(a.ExamineGroups() && b.ExamineGroups());
  for (std::size_t group = 0; group < keys.size(); ++group) {
    if (group > 0) FUZZ_CHECK(a.NextGroup() && b.NextGroup());
    FUZZ_CHECK(a.GroupName() == b.GroupName());
    for (const std::string& key : keys[group]) {
      FUZZ_CHECK(a.ReadRaw(key) == b.ReadRaw(key));
    }
  }
  FUZZ_CHECK(!a.NextGroup() && !b.NextGroup());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes,
                                      std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const std::string group = data.ConsumeRandomLengthString(16);
  const std::string key = data.ConsumeRandomLengthString(16);
  const std::string value = data.ConsumeRandomLengthString(32);
  const std::string file = data.ConsumeRemainingBytesAsString();

  PreferenceFile original;
  original.Parse(file);
  const std::string written = original.Serialize();
  PreferenceFile reread;
  reread.Parse(written);
  FUZZ_CHECK(reread.is_marked() == original.is_marked());
  FUZZ_CHECK(reread.Serialize() == written);
  ExpectSameContent(original, reread, KeysByGroup(written));

  // One write through the API: accepted means it reads back exactly.
  original.SelectGroup(group);
  if (original.WriteText(key, value)) {
    PreferenceFile changed;
    changed.Parse(original.Serialize());
    changed.SelectGroup(group);
    FUZZ_CHECK(changed.ReadRaw(key) == value);
  }
  return 0;
}
