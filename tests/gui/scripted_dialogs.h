#ifndef TRULVEX_TESTS_APP_SCRIPTED_DIALOGS_H_
#define TRULVEX_TESTS_APP_SCRIPTED_DIALOGS_H_

#include <QString>
#include <deque>
#include <vector>

#include "gui/user_dialogs.h"

namespace trulvex::testing {

// The dialog seam of the window tests: records every message and question
// and answers from queues the test fills. An unscripted question is
// answered with its last button (Cancel, No) and counted, so that a test
// notices a question it did not expect.
class ScriptedDialogs : public UserDialogs {
 public:
  struct Shown {
    UserMessage message;
    std::vector<Button> buttons;
    Button default_button;
  };
  struct FileRequest {
    bool save;
    QString title;
    QString directory;
    QString filter;
    QString selected_filter;  // the filter shown first
  };

  std::vector<Shown> shown;
  std::vector<FileRequest> file_requests;
  std::deque<Button> answers;
  std::deque<QString> file_names;
  // The filters chosen in the save dialogs, in turn; none keeps the one
  // shown first.
  std::deque<QString> filters;
  int unscripted = 0;

  void Show(QWidget*, const UserMessage& message) override {
    shown.push_back({message, {Button::kOk}, Button::kOk});
  }
  Button Ask(QWidget*, const UserMessage& message,
             const std::vector<Button>& buttons,
             Button default_button) override {
    shown.push_back({message, buttons, default_button});
    if (answers.empty()) {
      ++unscripted;
      return buttons.back();
    }
    const Button answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString OpenFileName(QWidget*, const QString& title, const QString& directory,
                       const QString& filter) override {
    return NextFile({false, title, directory, filter, {}});
  }
  QString SaveFileName(QWidget*, const QString& title, const QString& directory,
                       const QString& filter,
                       QString* selected_filter) override {
    QString name = NextFile({true, title, directory, filter,
                             selected_filter ? *selected_filter : QString()});
    if (selected_filter != nullptr && !filters.empty()) {
      *selected_filter = filters.front();
      filters.pop_front();
    }
    return name;
  }

  // The text of the last message shown, or "" when none was.
  std::string LastText() const {
    return shown.empty() ? std::string() : shown.back().message.text;
  }

 private:
  QString NextFile(FileRequest request) {
    file_requests.push_back(std::move(request));
    if (file_names.empty()) return {};
    QString name = file_names.front();
    file_names.pop_front();
    return name;
  }
};

}  // namespace trulvex::testing

#endif  // TRULVEX_TESTS_APP_SCRIPTED_DIALOGS_H_
