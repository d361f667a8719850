#include "gui/convert_command.h"

#include <QComboBox>
#include <new>
#include <string>
#include <string_view>

#include "core/base/cp1251.h"
#include "core/profiles/profile_database.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "gui/progress_window.h"
#include "gui/qt_text.h"

namespace trulvex {
namespace {

const char kConvertTitle[] = "Преобразование текста";

// The editor holds the table as UTF-8, up to three bytes a character, and
// its positions must stay within 31 bits on every platform.
constexpr std::uint64_t kMaxTableBytes = std::uint64_t{256} << 20;

}  // namespace

void FillResultEditor(Editor* editor, std::string_view table) {
  using Sci = QsciScintillaBase;
  const std::string utf8 = Cp1251ToUtf8(table);
  // Undo acts on the source editor only; recording the table would copy it.
  editor->SendScintilla(Sci::SCI_SETUNDOCOLLECTION, 0ul);
  // Each insert or delete notice makes the editor copy the whole text into
  // a QString for accessibility: twice the megabytes of the table.
  const long events = editor->SendScintilla(Sci::SCI_GETMODEVENTMASK);
  editor->SendScintilla(
      Sci::SCI_SETMODEVENTMASK,
      static_cast<unsigned long>(
          events & ~(Sci::SC_MOD_INSERTTEXT | Sci::SC_MOD_DELETETEXT)));
  editor->SetUtf8Text(utf8);
  editor->SendScintilla(Sci::SCI_SETMODEVENTMASK,
                        static_cast<unsigned long>(events));
  editor->SendScintilla(Sci::SCI_EMPTYUNDOBUFFER);
  editor->SendScintilla(Sci::SCI_SETUNDOCOLLECTION, 1ul);
}

ConvertCommand::ConvertCommand(MainWindow* window) : window_(window) {
  limits_.max_output_bytes = kMaxTableBytes;
}

ConvertCommand::~ConvertCommand() = default;

void ConvertCommand::Run() {
  if (running()) return;
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
      dialogs->Show(window_,
                    {UserMessage::Icon::kError, "Ошибка",
                     "Файл  \n\"" + Utf8Path(window_->paths().database) +
                         "\"\nне обнаружен"});
      return;
    case LoadProfileResult::kNotFound:
      dialogs->Show(window_, ProfileNotFoundMessage(name));
      return;
  }
  window_->SetCommentMarker(std::move(marker));
  std::string text = Utf8ToCp1251(window_->source_editor()->Utf8Text());
  if (text.empty()) {
    dialogs->Show(window_, {UserMessage::Icon::kWarning, kConvertTitle,
                            "Отсутствует преобразуемый текст"});
    return;
  }
  window_->working_record().IsPreview = 0;
  // A copy: the record must not change under the run while it takes events.
  const ProfileRecord profile = window_->working_record();

  RunStatus status;
  try {
    if (text.size() > progress_threshold_) OpenProgressWindow();
    struct Closer {
      ConvertCommand* command;
      ~Closer() { command->CloseProgressWindow(); }
    } closer{this};
    TableResult result =
        ConvertToTable(std::move(text), profile, progress_.get(), limits_);
    status = result.status;
    if (status != RunStatus::kTooLarge) {
      FillResultEditor(window_->result_editor(), result.table);
    }
  } catch (const std::bad_alloc&) {
    dialogs->Show(window_, {UserMessage::Icon::kError, kConvertTitle,
                            "Недостаточно памяти для преобразования текста"});
    return;
  }
  if (status == RunStatus::kTooLarge) {
    dialogs->Show(window_, {UserMessage::Icon::kError, kConvertTitle,
                            "Таблица получается слишком большой\n"
                            "и не поместится в окне результата.\n"
                            "Сократите текст или выберите другой профиль."});
  }
}

void ConvertCommand::OpenProgressWindow() {
  progress_ = std::make_unique<ProgressWindow>(window_, window_->dialogs());
  window_->setEnabled(false);
  // Disabling the main window disabled its tool window as well.
  progress_->setEnabled(true);
  progress_->show();
}

void ConvertCommand::CloseProgressWindow() {
  if (progress_ == nullptr) return;
  window_->setEnabled(true);
  progress_.reset();
}

}  // namespace trulvex
