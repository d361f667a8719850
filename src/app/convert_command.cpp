#include "app/convert_command.h"

#include <QComboBox>

#include "app/editor.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "engine/conversion_run.h"
#include "profiles/profile_database.h"

namespace trulvex {
namespace {

const char kConvertTitle[] = "Преобразование текста";

}  // namespace

void ConvertCommand::Run() {
  QComboBox* selector = window_->profile_selector();
  UserDialogs* dialogs = window_->dialogs();
  if (selector->currentText().isEmpty()) {
    dialogs->Show(window_, {UserMessage::Icon::kWarning, kConvertTitle,
                            "Не выбран профиль!"});
    return;
  }
  const std::string name = ToCp1251(selector->currentText());
  std::string marker = window_->comment_marker();
  switch (LoadProfile(window_->paths().database, name,
                      &window_->working_record(), &marker)) {
    case LoadProfileResult::kLoaded:
      break;
    case LoadProfileResult::kUnavailable:
      selector->clear();
      dialogs->Show(window_, {UserMessage::Icon::kError, "Ошибка",
                              "Файл  \n\"" +
                                  Utf8Path(window_->paths().database) +
                                  "\"\nне обнаружен"});
      return;
    case LoadProfileResult::kNotFound:
      dialogs->Show(window_, ProfileNotFoundMessage(name));
      return;
  }
  window_->SetCommentMarker(std::move(marker));
  std::string text = ToCp1251(window_->source_editor()->Text());
  if (text.empty()) {
    dialogs->Show(window_, {UserMessage::Icon::kWarning, kConvertTitle,
                            "Отсутствует преобразуемый текст"});
    return;
  }
  ProfileRecord& profile = window_->working_record();
  profile.IsPreview = 0;
  const TableResult result = ConvertToTable(std::move(text), profile);
  window_->result_editor()->SetText(FromCp1251(result.table));
}

}  // namespace trulvex
