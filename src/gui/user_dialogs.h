#ifndef TRULVEX_GUI_USER_DIALOGS_H_
#define TRULVEX_GUI_USER_DIALOGS_H_

#include <QString>
#include <vector>

#include "core/base/user_message.h"

class QWidget;

namespace trulvex {

// Every interaction that blocks: message boxes, questions and file
// dialogs. The program shows the real ones; tests script the answers and
// check what was asked.
class UserDialogs {
 public:
  enum class Button {
    kOk,
    kYes,
    kNo,
    kCancel,
    // The choices for a text code page 1251 cannot hold whole.
    kUtf8,
    kQuestionMarks,
  };

  virtual ~UserDialogs() = default;

  // A message with an OK button.
  virtual void Show(QWidget* parent, const UserMessage& message) = 0;
  // A question offering `buttons`; returns the one chosen (closing the box
  // counts as the last button offered).
  virtual Button Ask(QWidget* parent, const UserMessage& message,
                     const std::vector<Button>& buttons,
                     Button default_button) = 0;
  // The standard file dialogs; an empty result means cancelled. `filter`
  // is in Qt's form ("Name (*.txt);;All (*)"). `selected_filter`, when
  // given, names the filter shown first and receives the one chosen.
  virtual QString OpenFileName(QWidget* parent, const QString& title,
                               const QString& directory,
                               const QString& filter) = 0;
  virtual QString SaveFileName(QWidget* parent, const QString& title,
                               const QString& directory, const QString& filter,
                               QString* selected_filter) = 0;
};

// The real message boxes and file dialogs, with Russian button texts.
class QtUserDialogs : public UserDialogs {
 public:
  void Show(QWidget* parent, const UserMessage& message) override;
  Button Ask(QWidget* parent, const UserMessage& message,
             const std::vector<Button>& buttons,
             Button default_button) override;
  QString OpenFileName(QWidget* parent, const QString& title,
                       const QString& directory,
                       const QString& filter) override;
  QString SaveFileName(QWidget* parent, const QString& title,
                       const QString& directory, const QString& filter,
                       QString* selected_filter) override;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_USER_DIALOGS_H_
