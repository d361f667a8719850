#ifndef TRULVEX_CORE_ENGINE_PROFILE_RECORD_H_
#define TRULVEX_CORE_ENGINE_PROFILE_RECORD_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trulvex {

// One profile: how converted text is laid out as a source-code data table.
// Texts are code page 1251 bytes, held without their string tags.
struct ProfileRecord {
  std::uint8_t IsPreview = 0;  // never stored
  std::string Name;            // the name of the profile's group
  std::int32_t Ost1 = 2;
  std::int32_t Ost2 = 2;
  std::string Directive;
  std::string StartDataBlok;
  std::string EndDataBlok;
  std::string StartData;
  std::int32_t SI = 2;
  std::string EndData;
  std::string RazdelitelData;
  std::string Comment;
  std::uint8_t CommentState = 0;
  std::int32_t CountByte = 0;
  std::uint8_t PerenosPoSlovam = 0;
  std::int32_t CountByteToComment = 0;
  std::uint8_t DeleteSumbolError = 0;
  std::uint8_t DeleteSpace = 0;
  std::uint8_t CountSpace = 2;

  bool operator==(const ProfileRecord&) const = default;
};

// A stored (key, value text) pair of a profile's group.
using ProfileKeyValue = std::pair<std::string, std::string>;

enum class ProfileFieldKind { kInteger, kByte, kText };

// One stored field: its key, how it is stored, and where it lives in the
// record. Exactly one of the member pointers is set, as `kind` says.
struct ProfileField {
  const char* key;
  ProfileFieldKind kind;
  std::int32_t ProfileRecord::*integer;
  std::uint8_t ProfileRecord::*byte;
  std::string ProfileRecord::*text;
  std::int32_t default_value;
};

// The 17 stored fields in the order in which a profile is written.
std::span<const ProfileField> ProfileFields();

// The stored field of that key (keys match as preference file keys do).
const ProfileField* FindProfileField(std::string_view key);

// "[String]" + text + "[/String]": keeps leading and trailing blanks of a
// text through the preference file reader, which strips them.
std::string WrapText(std::string_view text);

// The field text of a stored value: the string tags removed.
std::string UnwrapText(std::string_view stored);

// The 17 (key, value text) pairs of the record in the write order.
std::vector<ProfileKeyValue> ProfileToKeyList(const ProfileRecord& record);

// The raw value text of a key of the group, or nothing when it is missing.
using ProfileKeyLookup =
    std::function<std::optional<std::string>(std::string_view key)>;

// Fills every stored field of `record` from its group, applying the
// defaults for missing keys. `IsPreview` and `Name` are left as they are.
void ProfileFromKeyLookup(const ProfileKeyLookup& lookup,
                          ProfileRecord* record);

// Same, from a list of pairs as a group holds them (first match wins).
ProfileRecord ProfileFromKeyList(std::string_view name,
                                 std::span<const ProfileKeyValue> pairs);

// A profile shipped with the program, as the exact pairs that a new
// profile database receives.
struct DefaultProfile {
  std::string name;
  std::vector<ProfileKeyValue> pairs;
};

// The three default profiles, in database order.
const std::vector<DefaultProfile>& DefaultProfiles();

// The default profiles loaded into records.
std::vector<ProfileRecord> DefaultProfileRecords();

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_PROFILE_RECORD_H_
