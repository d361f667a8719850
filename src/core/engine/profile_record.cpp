#include "core/engine/profile_record.h"

#include <array>

#include "core/base/preference_value.h"

namespace trulvex {
namespace {

constexpr std::string_view kOpenTag = "[String]";
constexpr std::string_view kCloseTag = "[/String]";

constexpr ProfileField Integer(const char* key, std::int32_t ProfileRecord::*f,
                               std::int32_t default_value) {
  return {key, ProfileFieldKind::kInteger, f, nullptr, nullptr, default_value};
}
constexpr ProfileField Byte(const char* key, std::uint8_t ProfileRecord::*f,
                            std::int32_t default_value) {
  return {key, ProfileFieldKind::kByte, nullptr, f, nullptr, default_value};
}
constexpr ProfileField Text(const char* key, std::string ProfileRecord::*f) {
  return {key, ProfileFieldKind::kText, nullptr, nullptr, f, 0};
}

constexpr std::array<ProfileField, 17> kFields = {
    Integer("Ost1", &ProfileRecord::Ost1, 2),
    Integer("Ost2", &ProfileRecord::Ost2, 2),
    Text("Directive", &ProfileRecord::Directive),
    Text("StartDataBlok", &ProfileRecord::StartDataBlok),
    Text("EndDataBlok", &ProfileRecord::EndDataBlok),
    Text("StartData", &ProfileRecord::StartData),
    Integer("SI", &ProfileRecord::SI, 2),
    Text("EndData", &ProfileRecord::EndData),
    Text("RazdelitelData", &ProfileRecord::RazdelitelData),
    Text("Comment", &ProfileRecord::Comment),
    Byte("CommentState", &ProfileRecord::CommentState, 0),
    Integer("CountByte", &ProfileRecord::CountByte, 0),
    Byte("PerenosPoSlovam", &ProfileRecord::PerenosPoSlovam, 0),
    Integer("CountByteToComment", &ProfileRecord::CountByteToComment, 0),
    Byte("DeleteSumbolError", &ProfileRecord::DeleteSumbolError, 0),
    Byte("DeleteSpace", &ProfileRecord::DeleteSpace, 0),
    Byte("CountSpace", &ProfileRecord::CountSpace, 2),
};

void RemoveAll(std::string* s, std::string_view tag) {
  std::string out;
  out.reserve(s->size());
  std::size_t from = 0;
  for (std::size_t at; (at = s->find(tag, from)) != std::string::npos;
       from = at + tag.size()) {
    out.append(*s, from, at - from);
  }
  out.append(*s, from, std::string::npos);
  *s = std::move(out);
}

}  // namespace

std::span<const ProfileField> ProfileFields() { return kFields; }

const ProfileField* FindProfileField(std::string_view key) {
  for (const ProfileField& field : kFields) {
    if (NamesEqual(field.key, key)) return &field;
  }
  return nullptr;
}

std::string WrapText(std::string_view text) {
  std::string stored;
  stored.reserve(kOpenTag.size() + text.size() + kCloseTag.size());
  stored.append(kOpenTag).append(text).append(kCloseTag);
  return stored;
}

std::string UnwrapText(std::string_view stored) {
  std::string text(stored);
  if (text.empty()) return text;
  const bool has_open = text.find(kOpenTag) != std::string::npos;
  // A closing tag counts only where it starts at the 8th character or later,
  // that is where an opening tag could stand before it.
  const bool has_close =
      text.size() > 7 && text.find(kCloseTag, 7) != std::string::npos;
  if (has_open) RemoveAll(&text, kOpenTag);
  if (has_close) RemoveAll(&text, kCloseTag);
  return text;
}

std::vector<ProfileKeyValue> ProfileToKeyList(const ProfileRecord& record) {
  std::vector<ProfileKeyValue> pairs;
  pairs.reserve(kFields.size());
  for (const ProfileField& field : kFields) {
    std::string value;
    switch (field.kind) {
      case ProfileFieldKind::kInteger:
        value = std::to_string(record.*field.integer);
        break;
      case ProfileFieldKind::kByte:
        value = std::to_string(static_cast<unsigned>(record.*field.byte));
        break;
      case ProfileFieldKind::kText:
        value = WrapText(record.*field.text);
        break;
    }
    pairs.emplace_back(field.key, std::move(value));
  }
  return pairs;
}

void ProfileFromKeyLookup(const ProfileKeyLookup& lookup,
                          ProfileRecord* record) {
  for (const ProfileField& field : kFields) {
    const std::optional<std::string> value = lookup(field.key);
    switch (field.kind) {
      case ProfileFieldKind::kInteger:
        record->*field.integer =
            value ? ParsePreferenceInteger(*value) : field.default_value;
        break;
      case ProfileFieldKind::kByte:
        // One-byte fields keep the low 8 bits: 300 reads as 44, -1 as 255.
        record->*field.byte = static_cast<std::uint8_t>(
            value ? ParsePreferenceInteger(*value) : field.default_value);
        break;
      case ProfileFieldKind::kText:
        record->*field.text = value ? UnwrapText(TrimBlanks(*value)) : "";
        break;
    }
  }
}

ProfileRecord ProfileFromKeyList(std::string_view name,
                                 std::span<const ProfileKeyValue> pairs) {
  ProfileRecord record;
  record.Name = name;
  ProfileFromKeyLookup(
      [pairs](std::string_view key) -> std::optional<std::string> {
        for (const ProfileKeyValue& pair : pairs) {
          if (NamesEqual(pair.first, key)) return pair.second;
        }
        return std::nullopt;
      },
      &record);
  return record;
}

const std::vector<DefaultProfile>& DefaultProfiles() {
  // The names hold an em dash, byte 0x97 in code page 1251.
  static const std::vector<DefaultProfile> profiles = [] {
    std::vector<DefaultProfile> list = {
        {"ASM \x97 DT For PIC",
         {{"Ost1", "4"},
          {"Ost2", "4"},
          {"Directive", "Dt"},
          {"StartDataBlok", ""},
          {"EndDataBlok", ""},
          {"StartData", "0x"},
          {"SI", "2"},
          {"EndData", ""},
          {"RazdelitelData", "[String], [/String]"},
          {"Comment", "[String]; [/String]"},
          {"CommentState", "1"},
          {"CountByte", "8"},
          {"PerenosPoSlovam", "0"},
          {"CountByteToComment", "0"},
          {"DeleteSumbolError", "0"},
          {"DeleteSpace", "0"},
          {"CountSpace", "2"}}},
        {"MikroBasic For PIC",
         {{"Ost1", "1"},
          {"Ost2", "4"},
          {"Directive", "const"},
          {"StartDataBlok", "[String]As Byte[] = ([/String]"},
          {"EndDataBlok", "[String] )[/String]"},
          {"StartData", "$"},
          {"SI", "2"},
          {"EndData", ""},
          {"RazdelitelData", "[String], [/String]"},
          {"Comment", "[String]' [/String]"},
          {"CommentState", "1"},
          {"CountByte", "100"},
          {"PerenosPoSlovam", "0"},
          {"CountByteToComment", "1"},
          {"DeleteSumbolError", "0"},
          {"DeleteSpace", "0"},
          {"CountSpace", "2"}}},
    };
    // The DE table differs from the DT one only in its name and directive.
    DefaultProfile de = list[0];
    de.name = "ASM \x97 DE For PIC";
    for (ProfileKeyValue& pair : de.pairs) {
      if (pair.first == "Directive") pair.second = "De";
    }
    list.insert(list.begin() + 1, std::move(de));
    return list;
  }();
  return profiles;
}

std::vector<ProfileRecord> DefaultProfileRecords() {
  std::vector<ProfileRecord> records;
  for (const DefaultProfile& profile : DefaultProfiles()) {
    records.push_back(ProfileFromKeyList(profile.name, profile.pairs));
  }
  return records;
}

}  // namespace trulvex
