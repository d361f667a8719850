#include "core/profiles/profile_manager_rules.h"

#include "core/base/cp1251.h"
#include "core/engine/conversion_run.h"
#include "core/profiles/profile_database.h"

namespace trulvex {

using Icon = UserMessage::Icon;

bool IsOtherProfileName(std::string_view name, const ProfileNameScope& scope) {
  for (std::size_t row = 0; row < scope.names.size(); ++row) {
    if (static_cast<int>(row) == scope.edited_row) continue;
    if (SameProfileName(name, scope.names[row])) return true;
  }
  return false;
}

NameColour ProfileNameColour(std::string_view name,
                             const ProfileNameScope& scope) {
  const bool editing = scope.edited_row >= 0;
  // An edited profile that keeps its name clashes with nothing.
  if ((!editing || name != scope.starting_name) &&
      IsOtherProfileName(name, scope)) {
    return NameColour::kTaken;
  }
  if (editing && name == scope.starting_name) return NameColour::kStarting;
  return NameColour::kPlain;
}

NameCheck CheckProfileName(std::string_view name,
                           const ProfileNameScope& scope) {
  if (name.empty()) return NameCheck::kEmpty;
  // The database reads a group name only up to its first "]".
  if (name.find(']') != std::string_view::npos) return NameCheck::kBracket;
  const bool editing = scope.edited_row >= 0;
  if (editing && name == scope.starting_name) return NameCheck::kAccepted;
  return IsOtherProfileName(name, scope) ? NameCheck::kTaken
                                         : NameCheck::kAccepted;
}

UserMessage NameCheckMessage(NameCheck check) {
  switch (check) {
    case NameCheck::kEmpty:
      return {Icon::kWarning, "", "Не указанно имя профиля."};
    case NameCheck::kBracket:
      return {Icon::kWarning, "", "Имя профиля не может содержать символ «]»."};
    case NameCheck::kTaken:
    case NameCheck::kAccepted:
      break;
  }
  return {Icon::kWarning, "Повторное имя",
          "Пожалуйста, выберите другое имя для профиля."};
}

ProfileStoreResult StoreProfileOfForm(const std::filesystem::path& database,
                                      std::string_view starting_name,
                                      const ProfileRecord& record) {
  ProfileStoreResult result;
  const std::string& name = record.Name;
  std::string_view target = name;
  if (!starting_name.empty() && name != starting_name) {
    // Renamed before the save that would fail, the profile would be gone
    // under its old name.
    if (!IsStorableProfile(name, record)) {
      result.messages.push_back(SaveProfileFailedMessage());
      return result;
    }
    if (RenameProfile(database, starting_name, name)) {
      result.renamed = true;
    } else {
      result.messages.push_back(RenameProfileFailedMessage());
      target = starting_name;
    }
  }
  if (SaveProfile(database, target, record) != SaveProfileResult::kSaved) {
    result.messages.push_back(SaveProfileFailedMessage());
    return result;
  }
  result.saved = true;
  return result;
}

UserMessage NoProfileToEditMessage() {
  return {Icon::kWarning, "Внимание", "Не выбран профиль!"};
}

UserMessage NoProfileToDeleteMessage() {
  return {Icon::kWarning, "Удаление профиля", "Не выбран профиль"};
}

UserMessage DeleteProfilesQuestion(std::span<const std::string> names) {
  std::string text = "Вы действительно хотите удалить профили\n";
  for (const std::string& name : names) text += Cp1251ToUtf8(name) + "\n";
  return {Icon::kQuestion, "Вы уверены?", std::move(text)};
}

UserMessage DeleteProfilesFailedMessage() {
  return {Icon::kError, "Ошибка", "Не удалось удалить профили!"};
}

std::string PreviewSampleText() {
  return Utf8ToCp1251("Пример преобразования текста");
}

std::string PreviewTable(ProfileRecord form) {
  form.IsPreview = 1;
  form.Name = "*Proba*";
  return ConvertToTable(PreviewSampleText(), form).table;
}

}  // namespace trulvex
