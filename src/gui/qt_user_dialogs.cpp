#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "gui/user_dialogs.h"

namespace trulvex {
namespace {

QMessageBox::Icon ToQt(UserMessage::Icon icon) {
  switch (icon) {
    case UserMessage::Icon::kInformation:
      return QMessageBox::Information;
    case UserMessage::Icon::kWarning:
      return QMessageBox::Warning;
    case UserMessage::Icon::kError:
      return QMessageBox::Critical;
    case UserMessage::Icon::kQuestion:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// The button texts are set here so that they are Russian whatever
// translations the system has.
QString ButtonText(UserDialogs::Button button) {
  switch (button) {
    case UserDialogs::Button::kOk:
      return QStringLiteral("ОК");
    case UserDialogs::Button::kYes:
      return QStringLiteral("Да");
    case UserDialogs::Button::kNo:
      return QStringLiteral("Нет");
    case UserDialogs::Button::kCancel:
      return QStringLiteral("Отмена");
    case UserDialogs::Button::kUtf8:
      return QStringLiteral("Сохранить в UTF-8");
    case UserDialogs::Button::kQuestionMarks:
      return QStringLiteral("Записать «?»");
  }
  return {};
}

QMessageBox::ButtonRole Role(UserDialogs::Button button) {
  switch (button) {
    case UserDialogs::Button::kYes:
    case UserDialogs::Button::kOk:
    case UserDialogs::Button::kUtf8:
      return QMessageBox::YesRole;
    case UserDialogs::Button::kNo:
    case UserDialogs::Button::kQuestionMarks:
      return QMessageBox::NoRole;
    case UserDialogs::Button::kCancel:
      return QMessageBox::RejectRole;
  }
  return QMessageBox::NoRole;
}

// The options every file dialog of the program shares.
constexpr QFileDialog::Options kFileDialogOptions =
    QFileDialog::DontConfirmOverwrite;

}  // namespace

void QtUserDialogs::Show(QWidget* parent, const UserMessage& message) {
  Ask(parent, message, {Button::kOk}, Button::kOk);
}

UserDialogs::Button QtUserDialogs::Ask(QWidget* parent,
                                       const UserMessage& message,
                                       const std::vector<Button>& buttons,
                                       Button default_button) {
  // An empty title would show the application's name in its place.
  const QString title = message.title.empty()
                            ? QStringLiteral(" ")
                            : QString::fromStdString(message.title);
  QMessageBox box(ToQt(message.icon), title,
                  QString::fromStdString(message.text), QMessageBox::NoButton,
                  parent);
  std::vector<QPushButton*> pushes;
  for (const Button button : buttons) {
    QPushButton* push = box.addButton(ButtonText(button), Role(button));
    pushes.push_back(push);
    if (button == default_button) box.setDefaultButton(push);
  }
  if (!pushes.empty()) box.setEscapeButton(pushes.back());
  box.exec();
  for (std::size_t i = 0; i < pushes.size(); ++i) {
    if (box.clickedButton() == pushes[i]) return buttons[i];
  }
  return buttons.empty() ? Button::kOk : buttons.back();
}

QString QtUserDialogs::OpenFileName(QWidget* parent, const QString& title,
                                    const QString& directory,
                                    const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, directory, filter, nullptr,
                                      kFileDialogOptions);
}

QString QtUserDialogs::SaveFileName(QWidget* parent, const QString& title,
                                    const QString& directory,
                                    const QString& filter,
                                    QString* selected_filter) {
  return QFileDialog::getSaveFileName(parent, title, directory, filter,
                                      selected_filter, kFileDialogOptions);
}

}  // namespace trulvex
