#ifndef TRULVEX_GUI_PROFILE_MANAGER_WINDOW_H_
#define TRULVEX_GUI_PROFILE_MANAGER_WINDOW_H_

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/engine/profile_record.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace trulvex {

class WindowHost;

// The modal window in which profiles are created, edited, renamed and
// deleted, and from which import and export start. The form below the list
// is enabled only while a profile is composed; every change of its format
// fields shows at once in a preview of the sample sentence.
class ProfileManagerWindow : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { kViewing, kNew, kEditing };

  explicit ProfileManagerWindow(WindowHost* host);

  Mode mode() const { return mode_; }

  // Closing refills the main window's profile selector, selecting the
  // list's current entry, and reloads the working record.
  void done(int result) override;

 protected:
  // The window closes only by its close box: Escape would drop the form.
  // Enter does what the mode's main button does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // A button's command; memory running out ends it with a message.
  std::function<void()> Guarded(void (ProfileManagerWindow::*command)());
  void BuildList();
  void BuildForm();
  void ConnectLiveReactions();

  void New();
  void Edit();
  void Accept();
  void Cancel();
  void Delete();
  void Import();
  void Export();

  ProfileRecord FormRecord() const;
  void ShowRecord(const ProfileRecord& record);
  void ClearForm();
  void SetFormEnabled(bool enabled);
  void SetListCommandsEnabled(bool enabled);
  void ApplyDependentEnabling();
  void BackToViewing();
  void RefillList();
  void Preview();
  void ColourName();
  bool Live() const { return mode_ != Mode::kViewing && !filling_; }

  std::vector<std::string> ListNames() const;
  std::vector<std::string> SelectedNames() const;
  std::string CurrentName() const;

  WindowHost* host_;
  Mode mode_ = Mode::kViewing;
  std::string starting_name_;
  int edited_row_ = -1;
  // Set while the program itself fills the form: no reactions then.
  bool filling_ = false;

  QListWidget* list_ = nullptr;
  QPushButton* import_ = nullptr;
  QPushButton* export_ = nullptr;
  QPushButton* new_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* delete_ = nullptr;

  QFrame* frame_ = nullptr;
  QLineEdit* name_ = nullptr;
  QCheckBox* delete_symbols_ = nullptr;
  QCheckBox* delete_space_ = nullptr;
  QSpinBox* count_space_ = nullptr;
  QSpinBox* ost1_ = nullptr;
  QSpinBox* ost2_ = nullptr;
  QLineEdit* directive_ = nullptr;
  QLineEdit* start_block_ = nullptr;
  QLineEdit* end_block_ = nullptr;
  QLineEdit* start_data_ = nullptr;
  QComboBox* si_ = nullptr;
  QLineEdit* end_data_ = nullptr;
  QLineEdit* separator_ = nullptr;
  QLineEdit* comment_ = nullptr;
  QCheckBox* comment_state_ = nullptr;
  QSpinBox* count_byte_ = nullptr;
  QCheckBox* wrap_ = nullptr;
  QCheckBox* count_to_comment_ = nullptr;
  QPlainTextEdit* preview_ = nullptr;
  QPushButton* accept_ = nullptr;
  QPushButton* cancel_ = nullptr;
  std::vector<QWidget*> form_;
};

// Runs the profile manager over the main window until its close box.
void OpenProfileManager(WindowHost* host);

}  // namespace trulvex

#endif  // TRULVEX_GUI_PROFILE_MANAGER_WINDOW_H_
