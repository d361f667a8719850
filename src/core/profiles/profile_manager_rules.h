#ifndef TRULVEX_CORE_PROFILES_PROFILE_MANAGER_RULES_H_
#define TRULVEX_CORE_PROFILES_PROFILE_MANAGER_RULES_H_

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/user_message.h"
#include "core/engine/profile_record.h"

namespace trulvex {

// The decisions of the profile manager window that need no window. Names
// are code page 1251 bytes; messages are UTF-8.

// The profiles a name is compared with while it is typed or accepted.
struct ProfileNameScope {
  std::span<const std::string> names;  // the manager's list, in list order
  int edited_row = -1;                 // the profile being edited; -1: new
  std::string_view starting_name;      // its name when editing began
};

// True when `name` is the name of a listed profile other than the one
// being edited (case aside, as SameProfileName compares).
bool IsOtherProfileName(std::string_view name, const ProfileNameScope& scope);

enum class NameColour {
  kPlain,
  kTaken,     // another profile's name
  kStarting,  // exactly the name the edited profile started with
};

NameColour ProfileNameColour(std::string_view name,
                             const ProfileNameScope& scope);

enum class NameCheck { kAccepted, kEmpty, kBracket, kTaken };

// Whether Accept may store the profile under `name`.
NameCheck CheckProfileName(std::string_view name,
                           const ProfileNameScope& scope);

// The warning for a refused name (not for kAccepted).
UserMessage NameCheckMessage(NameCheck check);

// What storing the profile of the manager's form did.
struct ProfileStoreResult {
  // The profile is in the file: the form may close.
  bool saved = false;
  // The file holds the new name now, whatever else failed: a second try
  // must not rename again.
  bool renamed = false;
  // What to tell the user, in order.
  std::vector<UserMessage> messages;
};

// Stores the form's profile (its `Name` the name typed, checked by
// CheckProfileName) in `database`. A profile edited under another name
// than `starting_name` is renamed first, so that it keeps its place in the
// file; when that fails the user is told, and it is saved under the
// starting name. Nothing is renamed for a profile the file could not store.
// A new profile has an empty `starting_name`.
ProfileStoreResult StoreProfileOfForm(const std::filesystem::path& database,
                                      std::string_view starting_name,
                                      const ProfileRecord& record);

UserMessage NoProfileToEditMessage();
UserMessage NoProfileToDeleteMessage();
UserMessage DeleteProfilesQuestion(std::span<const std::string> names);
UserMessage DeleteProfilesFailedMessage();

// The sample sentence of the preview, in code page 1251.
std::string PreviewSampleText();

// The table the preview shows for the form's values: a quiet run of the
// sample sentence.
std::string PreviewTable(ProfileRecord form);

}  // namespace trulvex

#endif  // TRULVEX_CORE_PROFILES_PROFILE_MANAGER_RULES_H_
