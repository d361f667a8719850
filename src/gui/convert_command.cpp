#include "gui/convert_command.h"

#include <QComboBox>
#include <QCoreApplication>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/cp1251.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "gui/progress_window.h"
#include "gui/qt_text.h"
#include "gui/result_fill.h"

namespace trulvex {
namespace {

const char kConvertTitle[] = "Преобразование текста";

// The editor holds the table as UTF-8, up to three bytes a character, and
// its positions must stay within 31 bits on every platform.
constexpr std::uint64_t kMaxTableBytes = std::uint64_t{256} << 20;

}  // namespace

ConvertCommand::ConvertCommand(MainWindow* window) : window_(window) {
  limits_.max_output_bytes = kMaxTableBytes;
}

ConvertCommand::~ConvertCommand() = default;

void ConvertCommand::Run() {
  if (running()) return;
  UserDialogs* dialogs = window_->dialogs();
  if (window_->profile_selector()->currentText().isEmpty()) {
    dialogs->Show(window_, {UserMessage::Icon::kWarning, kConvertTitle,
                            "Не выбран профиль!"});
    return;
  }
  // Loaded afresh for every run; a copy, so that nothing changes under the
  // run while it takes events.
  std::optional<ProfileRecord> profile = window_->LoadSelectedProfile();
  if (!profile) return;
  std::string text = window_->SourceText();
  if (text.empty()) {
    dialogs->Show(window_, {UserMessage::Icon::kWarning, kConvertTitle,
                            "Отсутствует преобразуемый текст"});
    return;
  }
  profile->IsPreview = 0;

  RunStatus status;
  try {
    if (text.size() > progress_threshold_) OpenProgressWindow();
    struct Closer {
      ConvertCommand* command;
      ~Closer() { command->CloseProgressWindow(); }
    } closer{this};
    ResultFill fill(window_->result_editor());
    try {
      status = RunConversion(
          std::move(text), *profile, progress_.get(),
          [this, &fill](std::string_view chunk) {
            fill.Append(chunk);
            // Filling the editor is work too: the window stays alive.
            if (progress_ != nullptr) progress_->KeepResponsive();
            return true;
          },
          limits_);
    } catch (const std::bad_alloc&) {
      fill.Discard();
      throw;
    }
    if (status != RunStatus::kTooLarge) fill.Finish();
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
  // Input given to the disabled window meanwhile is thrown away here, not
  // carried out once it is enabled again. Nothing is drawn for it: the
  // window is drawn enabled right after.
  window_->setUpdatesEnabled(false);
  QCoreApplication::processEvents();
  window_->setUpdatesEnabled(true);
  window_->setEnabled(true);
  progress_.reset();
}

}  // namespace trulvex
